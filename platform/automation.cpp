#include "platform/automation.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "platform/regexp_object.h"

namespace {

thread_local int initialisation_count = 0;

char16_t fold_ascii(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit;
}

}  // namespace

bool same_name(std::u16string_view left, std::u16string_view right) {
  return std::ranges::equal(left, right,
                            [](char16_t a, char16_t b) { return fold_ascii(a) == fold_ascii(b); });
}

HRESULT CoInitialize(void*) {
  return initialisation_count++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (initialisation_count > 0) --initialisation_count;
}

// Running out of memory on a huge subject is the one exception the objects may meet; like any
// other failure it fails the call.
ObjectRef create_object(std::u16string_view programmatic_identifier) {
  if (initialisation_count == 0) return nullptr;
  if (!same_name(programmatic_identifier, u"VBScript.RegExp")) return nullptr;
  try {
    return create_regexp_object();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool put_property(const ObjectRef& object, std::u16string_view name, const Variant& value) {
  if (!object) return false;
  try {
    return object->put(name, value);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

std::optional<Variant> get_property(const ObjectRef& object, std::u16string_view name,
                                    Arguments arguments) {
  if (!object) return std::nullopt;
  try {
    return object->get(name, arguments);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

std::optional<Variant> call_method(const ObjectRef& object, std::u16string_view name,
                                   Arguments arguments) {
  return get_property(object, name, arguments);
}

std::optional<bool> variant_to_bool(const Variant& value) {
  if (std::holds_alternative<std::monostate>(value)) return false;
  if (const auto* truth = std::get_if<bool>(&value)) return *truth;
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number != 0;
  return std::nullopt;
}

std::optional<std::int32_t> variant_to_integer(const Variant& value) {
  if (std::holds_alternative<std::monostate>(value)) return 0;
  if (const auto* truth = std::get_if<bool>(&value)) return *truth ? -1 : 0;
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
  return std::nullopt;
}

std::optional<std::u16string> variant_to_string(const Variant& value) {
  if (std::holds_alternative<std::monostate>(value)) return std::u16string();
  if (const auto* truth = std::get_if<bool>(&value)) return *truth ? u"True" : u"False";
  if (const auto* number = std::get_if<std::int32_t>(&value)) {
    const std::string digits = std::to_string(*number);
    return std::u16string(digits.begin(), digits.end());
  }
  if (const auto* string = std::get_if<std::u16string>(&value)) return *string;
  if (const auto* bytes = std::get_if<Bytes>(&value)) {
    const std::size_t whole_units = bytes->size() / 2;
    std::u16string units(whole_units, u'\0');
    if constexpr (std::endian::native == std::endian::little) {
      if (whole_units != 0) std::memcpy(units.data(), bytes->data(), 2 * whole_units);
    } else {
      for (std::size_t i = 0; i < whole_units; ++i) {
        units[i] = static_cast<char16_t>((*bytes)[2 * i] | (*bytes)[2 * i + 1] << 8);
      }
    }
    if (bytes->size() % 2 != 0) units.push_back(bytes->back());
    return units;
  }
  return std::nullopt;
}
