#pragma once
// The least of the platform's component automation that the tool uses: the per-thread
// initialisation of the component library, objects made from a programmatic identifier, and
// members reached by name with variant values.
//
// As on the platform: initialisation is counted per thread and an object can only be made on a
// thread that holds it; member names ignore the case of letters; a member that an object lacks,
// or that refuses its arguments, makes the call fail and changes nothing. Nothing is thrown.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "text/types.h"

class AutomationObject;

// A counted reference: the object lives while any reference to it does.
using ObjectRef = std::shared_ptr<AutomationObject>;

// Empty, truth value, integer, UTF-16 string, byte array or object.
using Variant = std::variant<std::monostate, bool, std::int32_t, std::u16string, Bytes, ObjectRef>;

using Arguments = std::span<const Variant>;

class AutomationObject {
 public:
  virtual ~AutomationObject() = default;

  // Writes a property; false when there is no such writable property or it refuses the value.
  virtual bool put(std::u16string_view name, const Variant& value) = 0;

  // Reads a property or calls a method (the same dispatch on the platform); nothing when there is
  // no such member or it fails.
  virtual std::optional<Variant> get(std::u16string_view name, Arguments arguments) = 0;
};

using HRESULT = long;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;

// Answers S_OK for the thread's first initialisation and S_FALSE for each further one.
HRESULT CoInitialize(void* reserved = nullptr);

// Undoes one initialisation of the calling thread; does nothing on a thread that holds none.
void CoUninitialize();

// A new object of the class registered under `programmatic_identifier` ("VBScript.RegExp" is the
// one class known); an empty reference for any other identifier, and on a thread that has not
// initialised the component library.
ObjectRef create_object(std::u16string_view programmatic_identifier);

// Each of these fails, without effect, on an empty reference.
bool put_property(const ObjectRef& object, std::u16string_view name, const Variant& value);
std::optional<Variant> get_property(const ObjectRef& object, std::u16string_view name,
                                    Arguments arguments = {});
std::optional<Variant> call_method(const ObjectRef& object, std::u16string_view name,
                                   Arguments arguments = {});

// The conversions the platform applies to a value handed to a member: nothing when the value
// has no such form. A byte array is taken as little-endian UTF-16 units (an odd last byte as a
// unit of its own), a truth value as an integer is -1 or 0, and an empty value is false, 0 or
// the empty string.
std::optional<bool> variant_to_bool(const Variant& value);
std::optional<std::int32_t> variant_to_integer(const Variant& value);
std::optional<std::u16string> variant_to_string(const Variant& value);

// Compares member names and identifiers as the platform does, ignoring the case of ASCII letters.
bool same_name(std::u16string_view left, std::u16string_view right);
