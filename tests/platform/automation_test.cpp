#include "platform/automation.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>

namespace {

// Runs `body` on a thread of its own, which starts without the component library.
template <typename Body>
void on_fresh_thread(Body body) {
  std::thread thread(body);
  thread.join();
}

Variant string_of(const std::optional<Variant>& value) {
  return value ? *value : Variant(std::u16string(u"<failed>"));
}

ObjectRef object_of(const std::optional<Variant>& value) {
  if (!value || !std::holds_alternative<ObjectRef>(*value)) return nullptr;
  return std::get<ObjectRef>(*value);
}

ObjectRef item(const ObjectRef& collection, std::int32_t index) {
  const std::array<Variant, 1> arguments{index};
  return object_of(get_property(collection, u"Item", arguments));
}

class Initialised : public ::testing::Test {
 protected:
  Initialised() { CoInitialize(nullptr); }
  ~Initialised() override { CoUninitialize(); }

  ObjectRef execute(const std::u16string& pattern, const Variant& subject) {
    const ObjectRef engine = create_object(u"VBScript.RegExp");
    put_property(engine, u"Global", true);
    put_property(engine, u"Pattern", pattern);
    return object_of(call_method(engine, u"Execute", std::span(&subject, 1)));
  }
};

TEST(ComponentLibrary, ObjectsAreMadeOnlyWhileTheThreadHoldsAnInitialisation) {
  on_fresh_thread([] {
    EXPECT_EQ(create_object(u"VBScript.RegExp"), nullptr);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_NE(create_object(u"VBScript.RegExp"), nullptr);
    CoUninitialize();
    EXPECT_NE(create_object(u"VBScript.RegExp"), nullptr) << "one initialisation is still held";
    CoUninitialize();
    EXPECT_EQ(create_object(u"VBScript.RegExp"), nullptr);
    CoUninitialize();  // one too many changes nothing
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
  });
}

TEST(ComponentLibrary, InitialisationBelongsToOneThread) {
  CoInitialize(nullptr);
  on_fresh_thread([] { EXPECT_EQ(create_object(u"VBScript.RegExp"), nullptr); });
  EXPECT_NE(create_object(u"VBScript.RegExp"), nullptr);
  CoUninitialize();
}

TEST_F(Initialised, OnlyTheRegularExpressionClassIsKnown) {
  EXPECT_NE(create_object(u"vbscript.regexp"), nullptr) << "identifiers ignore case";
  for (const std::u16string identifier : {u"", u"VBScript.RegExp2", u"VBScript.Dictionary",
                                          u"Scripting.FileSystemObject", u"VBScript.RegExp "}) {
    EXPECT_EQ(create_object(identifier), nullptr);
  }
}

TEST_F(Initialised, PropertiesAreWrittenAndReadByNameIgnoringCase) {
  const ObjectRef engine = create_object(u"VBScript.RegExp");
  EXPECT_EQ(string_of(get_property(engine, u"Pattern")), Variant(std::u16string()));
  EXPECT_EQ(string_of(get_property(engine, u"Global")), Variant(false));
  EXPECT_TRUE(put_property(engine, u"pattern", std::u16string(u"a+")));
  EXPECT_TRUE(put_property(engine, u"GLOBAL", true));
  EXPECT_TRUE(put_property(engine, u"IgnoreCase", std::int32_t{1}));
  EXPECT_EQ(string_of(get_property(engine, u"Pattern")), Variant(std::u16string(u"a+")));
  EXPECT_EQ(string_of(get_property(engine, u"global")), Variant(true));
  EXPECT_EQ(string_of(get_property(engine, u"IgnoreCase")), Variant(true));
}

TEST_F(Initialised, AMissingMemberOrARefusedValueFailsAndChangesNothing) {
  const ObjectRef engine = create_object(u"VBScript.RegExp");
  put_property(engine, u"Pattern", std::u16string(u"a.c"));
  put_property(engine, u"Multiline", true);

  EXPECT_FALSE(put_property(engine, u"Singleline", true));
  EXPECT_FALSE(put_property(engine, u"Multiline", ObjectRef(create_object(u"VBScript.RegExp"))));
  EXPECT_FALSE(put_property(engine, u"Pattern", ObjectRef(create_object(u"VBScript.RegExp"))));
  EXPECT_FALSE(get_property(engine, u"Singleline").has_value());
  EXPECT_FALSE(call_method(engine, u"Test", {}).has_value());
  EXPECT_FALSE(call_method(engine, u"Execute", {}).has_value()) << "a missing argument";

  EXPECT_EQ(string_of(get_property(engine, u"Pattern")), Variant(std::u16string(u"a.c")));
  EXPECT_EQ(string_of(get_property(engine, u"Multiline")), Variant(true));
  EXPECT_EQ(string_of(get_property(engine, u"IgnoreCase")), Variant(false));
  EXPECT_EQ(string_of(get_property(engine, u"Global")), Variant(false));

  EXPECT_FALSE(put_property(nullptr, u"Pattern", std::u16string(u"x")));
  EXPECT_FALSE(get_property(nullptr, u"Pattern").has_value());
}

TEST_F(Initialised, AMatchCollectionReadsCountItemsAndGroups) {
  const ObjectRef matches = execute(u"(\\d)(x)?-", std::u16string(u"中1-2x-"));
  ASSERT_NE(matches, nullptr);
  EXPECT_EQ(string_of(get_property(matches, u"Count")), Variant(std::int32_t{2}));

  const ObjectRef second = item(matches, 1);
  EXPECT_EQ(string_of(get_property(second, u"Value")), Variant(std::u16string(u"2x-")));
  EXPECT_EQ(string_of(get_property(second, u"FirstIndex")), Variant(std::int32_t{3}));
  EXPECT_EQ(string_of(get_property(second, u"Length")), Variant(std::int32_t{3}));

  const ObjectRef first_groups = object_of(get_property(item(matches, 0), u"SubMatches"));
  EXPECT_EQ(string_of(get_property(first_groups, u"Count")), Variant(std::int32_t{2}));
  EXPECT_EQ(string_of(get_property(first_groups, u"Item", std::array{Variant(std::int32_t{0})})),
            Variant(std::u16string(u"1")));
  EXPECT_EQ(string_of(get_property(first_groups, u"Item", std::array{Variant(std::int32_t{1})})),
            Variant())
      << "a group that took no part is empty";

  for (const std::int32_t outside : {-1, 2, 1000}) {
    EXPECT_EQ(item(matches, outside), nullptr);
    EXPECT_FALSE(get_property(first_groups, u"Item", std::array{Variant(outside)}).has_value());
  }
  EXPECT_FALSE(put_property(matches, u"Count", std::int32_t{5}));
  EXPECT_EQ(string_of(get_property(matches, u"Count")), Variant(std::int32_t{2}));
}

TEST_F(Initialised, ASubjectGivenAsBytesIsReadAsLittleEndianUnits) {
  // "a中a" and a trailing zero unit.
  const Bytes units{0x61, 0x00, 0x2D, 0x4E, 0x61, 0x00, 0x00, 0x00};
  const ObjectRef matches = execute(u"\\u4E2Da", units);
  ASSERT_NE(matches, nullptr);
  EXPECT_EQ(string_of(get_property(matches, u"Count")), Variant(std::int32_t{1}));
  EXPECT_EQ(string_of(get_property(item(matches, 0), u"FirstIndex")), Variant(std::int32_t{1}));
}

TEST_F(Initialised, ResultsLiveAsLongAsAReferenceToThemDoes) {
  std::weak_ptr<AutomationObject> engine_seen;
  ObjectRef groups;
  {
    ObjectRef engine = create_object(u"VBScript.RegExp");
    engine_seen = engine;
    put_property(engine, u"Pattern", std::u16string(u"b(.)"));
    const Variant subject = std::u16string(u"abcd");
    ObjectRef matches = object_of(call_method(engine, u"Execute", std::span(&subject, 1)));
    ObjectRef match = item(matches, 0);
    groups = object_of(get_property(match, u"SubMatches"));
    ObjectRef held_again = engine;
    engine.reset();
    EXPECT_FALSE(engine_seen.expired()) << "a second reference keeps the engine";
  }
  EXPECT_TRUE(engine_seen.expired()) << "the last reference released the engine";
  // The engine, the collection, the match and the subject's variant are gone; the groups are not.
  EXPECT_EQ(string_of(get_property(groups, u"Item", std::array{Variant(std::int32_t{0})})),
            Variant(std::u16string(u"c")));
}

TEST(VariantConversions, FollowThePlatformsRules) {
  EXPECT_EQ(variant_to_bool(Variant()), false);
  EXPECT_EQ(variant_to_bool(std::int32_t{-1}), true);
  EXPECT_EQ(variant_to_bool(std::u16string(u"True")), std::nullopt);
  EXPECT_EQ(variant_to_integer(true), -1);
  EXPECT_EQ(variant_to_integer(Bytes{1}), std::nullopt);
  EXPECT_EQ(variant_to_string(std::int32_t{-42}), u"-42");
  EXPECT_EQ(variant_to_string(Variant()), u"");
  EXPECT_EQ(variant_to_string(Bytes{0x41, 0x00, 0x42}), std::u16string(u"AB"))
      << "an odd last byte is a unit of its own";
  EXPECT_EQ(variant_to_string(ObjectRef()), std::nullopt);
}

}  // namespace
