#include "platform/regexp_object.h"

#include "platform/regexp_engine.h"

namespace {

using SharedMatches = std::shared_ptr<const RegexpMatches>;

// The 0-based index that `arguments` name, when it is below `count`.
std::optional<std::size_t> index_argument(Arguments arguments, std::size_t count) {
  if (arguments.size() != 1) return std::nullopt;
  const auto index = variant_to_integer(arguments[0]);
  if (!index || *index < 0 || static_cast<std::size_t>(*index) >= count) return std::nullopt;
  return static_cast<std::size_t>(*index);
}

// Writes and method calls are refused by the read-only objects of a search's result.
class ReadOnlyObject : public AutomationObject {
 public:
  bool put(std::u16string_view, const Variant&) override { return false; }
};

class SubMatchesObject : public ReadOnlyObject {
 public:
  SubMatchesObject(SharedMatches matches, std::size_t match)
      : matches_(std::move(matches)), match_(match) {}

  std::optional<Variant> get(std::u16string_view name, Arguments arguments) override {
    if (same_name(name, u"Count") && arguments.empty()) {
      return static_cast<std::int32_t>(matches_->group_count);
    }
    if (same_name(name, u"Item")) {
      const auto index = index_argument(arguments, matches_->group_count);
      if (!index) return std::nullopt;
      const std::size_t group = *index + 1;
      if (matches_->start(match_, group) < 0) return Variant();
      return std::u16string(matches_->text(match_, group));
    }
    return std::nullopt;
  }

 private:
  SharedMatches matches_;
  std::size_t match_;
};

class MatchObject : public ReadOnlyObject {
 public:
  MatchObject(SharedMatches matches, std::size_t match)
      : matches_(std::move(matches)), match_(match) {}

  std::optional<Variant> get(std::u16string_view name, Arguments arguments) override {
    if (!arguments.empty()) return std::nullopt;
    if (same_name(name, u"Value")) return std::u16string(matches_->text(match_));
    if (same_name(name, u"FirstIndex")) return matches_->start(match_);
    if (same_name(name, u"Length")) return matches_->end(match_) - matches_->start(match_);
    if (same_name(name, u"SubMatches")) {
      return ObjectRef(std::make_shared<SubMatchesObject>(matches_, match_));
    }
    return std::nullopt;
  }

 private:
  SharedMatches matches_;
  std::size_t match_;
};

class MatchCollectionObject : public ReadOnlyObject {
 public:
  explicit MatchCollectionObject(SharedMatches matches) : matches_(std::move(matches)) {}

  std::optional<Variant> get(std::u16string_view name, Arguments arguments) override {
    if (same_name(name, u"Count") && arguments.empty()) {
      return static_cast<std::int32_t>(matches_->count());
    }
    if (same_name(name, u"Item")) {
      const auto index = index_argument(arguments, matches_->count());
      if (!index) return std::nullopt;
      return ObjectRef(std::make_shared<MatchObject>(matches_, *index));
    }
    return std::nullopt;
  }

 private:
  SharedMatches matches_;
};

class RegexpObject : public AutomationObject {
 public:
  bool put(std::u16string_view name, const Variant& value) override {
    if (same_name(name, u"Pattern")) {
      auto pattern = variant_to_string(value);
      if (!pattern) return false;
      pattern_ = std::move(*pattern);
      return true;
    }
    bool* option = option_named(name);
    if (!option) return false;
    const auto truth = variant_to_bool(value);
    if (!truth) return false;
    *option = *truth;
    return true;
  }

  std::optional<Variant> get(std::u16string_view name, Arguments arguments) override {
    if (same_name(name, u"Execute")) return execute(arguments);
    if (same_name(name, u"Replace")) return replace(arguments);
    if (!arguments.empty()) return std::nullopt;
    if (same_name(name, u"Pattern")) return pattern_;
    if (bool* option = option_named(name)) return *option;
    return std::nullopt;
  }

 private:
  bool* option_named(std::u16string_view name) {
    if (same_name(name, u"IgnoreCase")) return &options_.ignore_case;
    if (same_name(name, u"Multiline")) return &options_.multiline;
    if (same_name(name, u"Global")) return &options_.global;
    return nullptr;
  }

  std::optional<Variant> execute(Arguments arguments) {
    if (arguments.size() != 1) return std::nullopt;
    auto subject = variant_to_string(arguments[0]);
    if (!subject) return std::nullopt;
    auto matches = regexp_execute(pattern_, options_,
                                  std::make_shared<const std::u16string>(std::move(*subject)));
    if (!matches) return std::nullopt;
    return ObjectRef(std::make_shared<MatchCollectionObject>(
        std::make_shared<const RegexpMatches>(std::move(*matches))));
  }

  std::optional<Variant> replace(Arguments arguments) {
    if (arguments.size() != 2) return std::nullopt;
    const auto subject = variant_to_string(arguments[0]);
    const auto replacement = variant_to_string(arguments[1]);
    if (!subject || !replacement) return std::nullopt;
    auto replaced = regexp_replace(pattern_, options_, *subject, *replacement);
    if (!replaced) return std::nullopt;
    return std::move(*replaced);
  }

  std::u16string pattern_;
  RegexpOptions options_;
};

}  // namespace

ObjectRef create_regexp_object() {
  return std::make_shared<RegexpObject>();
}
