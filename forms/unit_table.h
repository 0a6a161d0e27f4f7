// One window's unit table as stored: N unit ids, N record offsets, then the record area. Each
// record is a length dword followed by that many bytes of record data. The table is kept as
// bytes and edited in place; every accessor finds its field by walking the variable-length
// fields from the start of the record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_cursor.h"

namespace rc::forms {

struct Geometry {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// One event binding as stored: the event number and the handler offset.
struct Binding {
  int32_t event = 0;
  int32_t offset = 0;
};

struct ByteSpan {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// Field positions inside one record's data (after the length dword).
struct RecordLayout {
  bool menu_item = false;
  size_t name = 0, name_len = 0;
  size_t reserved_text = 0, reserved_text_len = 0;
  // Unit records.
  size_t object_slot = 0;
  size_t geometry = 0;
  size_t cursor_slot = 0;
  size_t parent = 0;
  size_t children = 0;  // the count dword
  uint32_t child_count = 0;
  size_t cursor = 0;  // the length dword
  uint32_t cursor_len = 0;
  size_t tag = 0, tag_len = 0;
  size_t reserved13 = 0;
  size_t flags = 0;
  size_t reserved15 = 0;
  size_t bindings = 0;  // the count dword
  uint32_t binding_count = 0;
  size_t reserved17 = 0;
  // Menu item records.
  size_t menu_extra = 0;  // 12 bytes
  size_t menu_text = 0, menu_text_len = 0;
  size_t menu_handler = 0;
  // What follows the fixed fields: the type data of a unit record.
  size_t rest = 0;
};

inline constexpr size_t kMenuExtraSize = 12;

// False when a field does not fit inside the record.
bool WalkRecord(uint32_t unit_id, const uint8_t* data, size_t size, RecordLayout* out);

class UnitTable {
 public:
  UnitTable() = default;

  // Takes the table bytes of a window with `count` records. Refuses a table whose offsets or
  // record lengths point outside it, whose records cannot be walked to the end of their fixed
  // fields, or whose records share bytes (an in-place edit of one would corrupt the other).
  static bool Parse(uint32_t count, Bytes bytes, UnitTable* out);

  size_t count() const { return count_; }
  const Bytes& bytes() const { return bytes_; }

  uint32_t id(size_t i) const;
  std::optional<size_t> Find(uint32_t unit_id) const;
  bool is_menu_item(size_t i) const;
  // The record data (after the length dword).
  ByteSpan record(size_t i) const;
  RecordLayout layout(size_t i) const;

  uint32_t type_code(size_t i) const;
  uint32_t event_source(size_t i) const;
  std::string name(size_t i) const;
  Geometry geometry(size_t i) const;
  void set_geometry(size_t i, const Geometry& g);
  uint32_t parent(size_t i) const;
  std::vector<uint32_t> children(size_t i) const;
  ByteSpan cursor(size_t i) const;
  std::string tag(size_t i) const;
  uint32_t state_flags(size_t i) const;
  void set_state_flags(size_t i, uint32_t flags);
  std::vector<Binding> bindings(size_t i) const;
  // Type data of a unit record; size 0 means none (all type defaults).
  ByteSpan type_data(size_t i) const;
  // Menu item records.
  std::string menu_text(size_t i) const;
  int32_t menu_handler(size_t i) const;

  // Variable-length edits: the record is resized and the records after it move. A text is cut
  // at an embedded NUL. False (and nothing changed) when the record has no such field or the
  // table would outgrow its 32-bit lengths.
  bool SetTag(size_t i, std::string_view text);
  bool SetCursor(size_t i, const uint8_t* data, size_t size);
  bool SetTypeData(size_t i, const uint8_t* data, size_t size);
  // Replaces the counted text or bytes field of the type data that holds `property`.
  bool ReplaceTypeDataField(size_t i, int property, const uint8_t* data, size_t size);

 private:
  size_t RecordStart(size_t i) const;  // where the length dword lies in bytes_
  bool Splice(size_t i, size_t at, size_t old_len, const uint8_t* data, size_t size);
  bool ReplaceCounted(size_t i, size_t at, const uint8_t* data, size_t size);
  uint32_t DwordAt(size_t i, size_t at) const;
  std::string ZeroTextAt(size_t i, size_t at, size_t len) const;

  uint32_t count_ = 0;
  Bytes bytes_;
};

}  // namespace rc::forms
