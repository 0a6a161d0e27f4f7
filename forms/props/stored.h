// How a property is stored in its type's data: each type's header lists its stored fields once,
// in stored order, each with its property, the member of the type's data that holds it and its
// default, the values a written number is brought into, what a change does, and the first data
// version that stores it. Reading, writing, locating a field, the form compiler's text, the
// unit's get-property and the plain part of its property change all walk that one list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/property.h"

namespace rc::forms {

enum class BlobKind { kPicture, kIcon, kSound, kFont, kCursor };

// What a written value does once it differs from the stored one.
enum class Change : uint8_t {
  kNone,      // (a write that changed nothing; never in a list)
  kKept,      // only kept: nothing shows it
  kRepaint,   // the unit paints itself anew
  kRecreate,  // the unit is made anew: a style its window takes only when made
  kSetter,    // the unit type's setter shows it
};

// The values a written number is brought into: a range, or a flag (any non-zero value is 1).
struct Range {
  int32_t low = INT32_MIN;
  int32_t high = INT32_MAX;
  bool flag = false;

  constexpr int32_t Fit(int32_t v) const {
    if (flag) return v != 0 ? 1 : 0;
    return v < low ? low : v > high ? high : v;
  }
};
inline constexpr Range kAnyValue{};
inline constexpr Range kFlag{0, 1, true};
constexpr Range Between(int32_t low, int32_t high) {
  return Range{low, high, false};
}
constexpr Range AtLeast(int32_t low) {
  return Range{low, INT32_MAX, false};
}

// One stored field: T is int32_t (a dword), uint32_t (a colour), uint16_t (a word), a text or
// bytes.
template <class Data, class T>
struct Field {
  props::Property property;
  T Data::*member;
  Change change;
  Range range;
  uint32_t since;  // the first data version that stores it
};

template <class Data, class T>
constexpr Field<Data, T> Stored(const props::Property& property, T Data::*member, Change change,
                                Range range, uint32_t since) {
  return {property, member, change, range, since};
}

// The field's value in `data` (const when `data` is).
template <class S, class Data, class T>
auto& FieldOf(S& data, const Field<Data, T>& f) {
  return data.*f.member;
}

constexpr BlobKind BlobKindOf(props::Kind kind) {
  switch (kind) {
    case props::Kind::kIcon:
      return BlobKind::kIcon;
    case props::Kind::kSound:
      return BlobKind::kSound;
    case props::Kind::kFont:
      return BlobKind::kFont;
    case props::Kind::kCursor:
      return BlobKind::kCursor;
    default:
      return BlobKind::kPicture;
  }
}

// Calls f(field) for each field of the list, in stored order.
template <class Fields, class F>
constexpr void ForEachField(const Fields& fields, F&& f) {
  std::apply([&](const auto&... field) { (f(field), ...); }, fields);
}

// A visitor V provides, each with (field reference, property index, name):
//   Int(int32_t&, ...)     a dword
//   Colour(uint32_t&, ...) a dword holding a colour (kDefaultColour: the button-face colour)
//   Word(uint16_t&, ...)   a 16-bit word
//   Text(std::string&, ...) a counted GBK text
//   Blob(Bytes&, ..., BlobKind) counted bytes
// and is handed the fields that `data`'s version stores.
template <class S, class V>
void VisitFields(S& data, V& v) {
  ForEachField(std::decay_t<S>::Fields(), [&](const auto& f) {
    if (data.version < f.since) return;
    auto& x = FieldOf(data, f);
    using T = std::decay_t<decltype(x)>;
    const int index = f.property.index;
    const char* name = f.property.name;
    if constexpr (std::is_same_v<T, int32_t>) {
      v.Int(x, index, name);
    } else if constexpr (std::is_same_v<T, uint32_t>) {
      v.Colour(x, index, name);
    } else if constexpr (std::is_same_v<T, uint16_t>) {
      v.Word(x, index, name);
    } else if constexpr (std::is_same_v<T, std::string>) {
      v.Text(x, index, name);
    } else {
      static_assert(std::is_same_v<T, Bytes>, "a stored field is a number, a text or bytes");
      v.Blob(x, index, name, BlobKindOf(f.property.kind));
    }
  });
}

// What every type with stored data has: its type code, the highest version it reads, and the
// version of this data (written data gets this version's fields).
template <uint32_t Code, uint32_t MaxVersion>
struct VersionedData {
  static constexpr uint32_t kTypeCode = Code;
  static constexpr uint32_t kMaxVersion = MaxVersion;
  static constexpr bool kHasVersion = true;
  uint32_t version = MaxVersion;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    VisitFields(s, v);
  }
};

// Whether some field of the type's list does `change`.
template <class Data>
constexpr bool ListsChange(Change change) {
  bool found = false;
  ForEachField(Data::Fields(), [&](const auto& f) { found = found || f.change == change; });
  return found;
}

// Brings every stored number of `data` into its range, as written values are.
template <class Data>
void FitStored(Data* data) {
  ForEachField(Data::Fields(), [&](const auto& f) {
    auto& x = FieldOf(*data, f);
    if constexpr (std::is_same_v<std::decay_t<decltype(x)>, int32_t>) x = f.range.Fit(x);
  });
}

}  // namespace rc::forms

// A type's stored data made of its list of fields, FIELDS(F) calling
//   F(property, type, member, default, change, range, since)
// once a field in stored order: `property` is the type's props::<ns>::kX, `member` the member of
// the data that holds it with its `default`, `change` what a written value does once it differs
// (Change::kX), `range` the values a written number is brought into, and `since` the first data
// version that stores it (0: every version). The struct Name gets the members and Fields(), the
// list as a tuple of Field.
#define RC_STORED_MEMBER(property, type, member, value, change, range, since) type member = value;
#define RC_STORED_FIELD(property, type, member, value, change, range, since) \
  Stored(p::property, &Self::member, Change::change, range, since),
#define RC_STORED_DATA(Name, code, max_version, text_name, ns, FIELDS) \
  struct Name : VersionedData<code, max_version> {                     \
    static constexpr const char* kName = text_name;                    \
    FIELDS(RC_STORED_MEMBER)                                           \
    static constexpr auto Fields();                                    \
  };                                                                   \
  constexpr auto Name::Fields() {                                      \
    namespace p = props::ns;                                           \
    using Self = Name;                                                 \
    return std::tuple{FIELDS(RC_STORED_FIELD)};                        \
  }
