#include "forms/unit_table.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "forms/form_ids.h"
#include "forms/type_data.h"

namespace rc::forms {

bool WalkRecord(uint32_t unit_id, const uint8_t* data, size_t size, RecordLayout* out) {
  ByteReader r(data, size);
  RecordLayout l;
  // Each returns where its field starts and moves past it.
  auto fixed = [&](size_t n) {
    const size_t at = r.pos();
    r.Skip(n);
    return at;
  };
  auto text = [&](size_t* len) {
    const size_t at = r.pos();
    *len = r.SkipZeroText();
    return at;
  };
  auto counted = [&](size_t elem_size, uint32_t* count) {
    const size_t at = r.pos();
    *count = r.Count(elem_size);
    r.Skip(size_t(*count) * elem_size);
    return at;
  };
  l.menu_item = IsMenuItemId(unit_id);
  fixed(24);  // type code, event source, reserved
  l.name = text(&l.name_len);
  l.reserved_text = text(&l.reserved_text_len);
  if (l.menu_item) {
    l.menu_extra = fixed(kMenuExtraSize);
    l.menu_text = text(&l.menu_text_len);
    l.menu_handler = fixed(4);
  } else {
    l.object_slot = fixed(4);
    l.geometry = fixed(16);
    l.cursor_slot = fixed(4);
    l.parent = fixed(4);
    l.children = counted(4, &l.child_count);
    l.cursor = counted(1, &l.cursor_len);
    l.tag = text(&l.tag_len);
    l.reserved13 = fixed(4);
    l.flags = fixed(4);
    l.reserved15 = fixed(4);
    l.bindings = counted(8, &l.binding_count);
    l.reserved17 = fixed(20);
  }
  l.rest = r.pos();
  if (r.failed()) return false;
  *out = l;
  return true;
}

bool UnitTable::Parse(uint32_t count, Bytes bytes, UnitTable* out) {
  if (count > bytes.size() / 8) return false;
  const size_t area = size_t(count) * 8;
  const size_t area_size = bytes.size() - area;
  std::vector<std::pair<size_t, size_t>> spans;
  spans.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const size_t off = LoadU32(&bytes[size_t(count) * 4 + i * 4]);
    if (off > area_size || area_size - off < 4) return false;
    const size_t start = area + off;
    const size_t len = LoadU32(&bytes[start]);
    if (len > area_size - off - 4) return false;
    RecordLayout layout;
    if (!WalkRecord(LoadU32(&bytes[i * 4]), bytes.data() + start + 4, len, &layout)) return false;
    spans.emplace_back(start, start + 4 + len);
  }
  std::sort(spans.begin(), spans.end());
  for (size_t k = 1; k < spans.size(); ++k) {
    if (spans[k].first < spans[k - 1].second) return false;
  }
  out->count_ = count;
  out->bytes_ = std::move(bytes);
  return true;
}

uint32_t UnitTable::id(size_t i) const {
  return i < count_ ? LoadU32(&bytes_[i * 4]) : 0;
}

std::optional<size_t> UnitTable::Find(uint32_t unit_id) const {
  for (size_t i = 0; i < count_; ++i) {
    if (LoadU32(&bytes_[i * 4]) == unit_id) return i;
  }
  return std::nullopt;
}

bool UnitTable::is_menu_item(size_t i) const {
  return IsMenuItemId(id(i));
}

size_t UnitTable::RecordStart(size_t i) const {
  return size_t(count_) * 8 + LoadU32(&bytes_[size_t(count_) * 4 + i * 4]);
}

ByteSpan UnitTable::record(size_t i) const {
  if (i >= count_) return {};
  const size_t start = RecordStart(i);
  return {bytes_.data() + start + 4, LoadU32(&bytes_[start])};
}

RecordLayout UnitTable::layout(size_t i) const {
  RecordLayout l;
  ByteSpan r = record(i);
  // Parse() and every edit keep each record walkable, so this only fails for a bad index.
  if (r.data) WalkRecord(id(i), r.data, r.size, &l);
  return l;
}

uint32_t UnitTable::DwordAt(size_t i, size_t at) const {
  ByteSpan r = record(i);
  return r.data && at + 4 <= r.size ? LoadU32(r.data + at) : 0;
}

std::string UnitTable::ZeroTextAt(size_t i, size_t at, size_t len) const {
  ByteSpan r = record(i);
  if (!r.data || at + len > r.size) return {};
  return std::string(reinterpret_cast<const char*>(r.data + at), len);
}

uint32_t UnitTable::type_code(size_t i) const {
  return DwordAt(i, 0);
}
uint32_t UnitTable::event_source(size_t i) const {
  return DwordAt(i, 4);
}

std::string UnitTable::name(size_t i) const {
  RecordLayout l = layout(i);
  return ZeroTextAt(i, l.name, l.name_len);
}

Geometry UnitTable::geometry(size_t i) const {
  if (i >= count_ || is_menu_item(i)) return {};
  const size_t at = layout(i).geometry;
  return {int32_t(DwordAt(i, at)), int32_t(DwordAt(i, at + 4)), int32_t(DwordAt(i, at + 8)),
          int32_t(DwordAt(i, at + 12))};
}

void UnitTable::set_geometry(size_t i, const Geometry& g) {
  if (i >= count_ || is_menu_item(i)) return;
  uint8_t* p = const_cast<uint8_t*>(record(i).data) + layout(i).geometry;
  StoreU32(p, uint32_t(g.left));
  StoreU32(p + 4, uint32_t(g.top));
  StoreU32(p + 8, uint32_t(g.width));
  StoreU32(p + 12, uint32_t(g.height));
}

uint32_t UnitTable::parent(size_t i) const {
  if (i >= count_ || is_menu_item(i)) return 0;
  return DwordAt(i, layout(i).parent);
}

std::vector<uint32_t> UnitTable::children(size_t i) const {
  std::vector<uint32_t> out;
  if (i >= count_ || is_menu_item(i)) return out;
  RecordLayout l = layout(i);
  for (uint32_t k = 0; k < l.child_count; ++k) out.push_back(DwordAt(i, l.children + 4 + 4 * k));
  return out;
}

ByteSpan UnitTable::cursor(size_t i) const {
  if (i >= count_ || is_menu_item(i)) return {};
  RecordLayout l = layout(i);
  return {record(i).data + l.cursor + 4, l.cursor_len};
}

std::string UnitTable::tag(size_t i) const {
  if (i >= count_ || is_menu_item(i)) return {};
  RecordLayout l = layout(i);
  return ZeroTextAt(i, l.tag, l.tag_len);
}

uint32_t UnitTable::state_flags(size_t i) const {
  if (i >= count_ || is_menu_item(i)) return 0;
  return DwordAt(i, layout(i).flags);
}

void UnitTable::set_state_flags(size_t i, uint32_t flags) {
  if (i >= count_ || is_menu_item(i)) return;
  StoreU32(const_cast<uint8_t*>(record(i).data) + layout(i).flags, flags);
}

std::vector<Binding> UnitTable::bindings(size_t i) const {
  std::vector<Binding> out;
  if (i >= count_ || is_menu_item(i)) return out;
  RecordLayout l = layout(i);
  for (uint32_t k = 0; k < l.binding_count; ++k) {
    const size_t at = l.bindings + 4 + 8 * k;
    out.push_back({int32_t(DwordAt(i, at)), int32_t(DwordAt(i, at + 4))});
  }
  return out;
}

ByteSpan UnitTable::type_data(size_t i) const {
  if (i >= count_ || is_menu_item(i)) return {};
  ByteSpan r = record(i);
  const size_t rest = layout(i).rest;
  return {r.data + rest, r.size - rest};
}

std::string UnitTable::menu_text(size_t i) const {
  if (!is_menu_item(i)) return {};
  RecordLayout l = layout(i);
  return ZeroTextAt(i, l.menu_text, l.menu_text_len);
}

int32_t UnitTable::menu_handler(size_t i) const {
  if (!is_menu_item(i)) return kNoHandlerOffset;
  return int32_t(DwordAt(i, layout(i).menu_handler));
}

bool UnitTable::Splice(size_t i, size_t at, size_t old_len, const uint8_t* data, size_t size) {
  constexpr size_t kMax = std::numeric_limits<uint32_t>::max();
  const size_t start = RecordStart(i);
  const size_t len = LoadU32(&bytes_[start]);
  if (at > len || old_len > len - at) return false;
  if (size > old_len && (size - old_len > kMax - len || size - old_len > kMax - bytes_.size())) {
    return false;
  }
  // The new bytes may come from this table; copy them before the table moves.
  const Bytes insert(data, data + size);
  const size_t pos = start + 4 + at;
  if (size >= old_len) {
    std::copy(insert.begin(), insert.begin() + old_len, bytes_.begin() + pos);
    bytes_.insert(bytes_.begin() + pos + old_len, insert.begin() + old_len, insert.end());
  } else {
    std::copy(insert.begin(), insert.end(), bytes_.begin() + pos);
    bytes_.erase(bytes_.begin() + pos + size, bytes_.begin() + pos + old_len);
  }
  StoreU32(&bytes_[start], uint32_t(len - old_len + size));
  const size_t offsets = size_t(count_) * 4;
  for (size_t j = 0; j < count_; ++j) {
    if (RecordStart(j) > start) {
      uint8_t* p = &bytes_[offsets + j * 4];
      StoreU32(p, uint32_t(LoadU32(p) + size - old_len));
    }
  }
  return true;
}

bool UnitTable::ReplaceCounted(size_t i, size_t at, const uint8_t* data, size_t size) {
  if (size > std::numeric_limits<uint32_t>::max()) return false;
  Bytes field;
  ByteWriter w(&field);
  w.Counted(data, size);
  return Splice(i, at, 4 + size_t(DwordAt(i, at)), field.data(), field.size());
}

bool UnitTable::SetTag(size_t i, std::string_view text) {
  if (i >= count_ || is_menu_item(i)) return false;
  text = text.substr(0, text.find('\0'));
  RecordLayout l = layout(i);
  return Splice(i, l.tag, l.tag_len, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

bool UnitTable::SetCursor(size_t i, const uint8_t* data, size_t size) {
  if (i >= count_ || is_menu_item(i)) return false;
  return ReplaceCounted(i, layout(i).cursor, data, size);
}

bool UnitTable::SetTypeData(size_t i, const uint8_t* data, size_t size) {
  if (i >= count_ || is_menu_item(i)) return false;
  const size_t rest = layout(i).rest;
  return Splice(i, rest, record(i).size - rest, data, size);
}

bool UnitTable::ReplaceTypeDataField(size_t i, int property, const uint8_t* data, size_t size) {
  ByteSpan td = type_data(i);
  if (td.size == 0) return false;
  std::optional<size_t> at = FindCountedField(type_code(i), td.data, td.size, property);
  return at && ReplaceCounted(i, layout(i).rest + *at, data, size);
}

}  // namespace rc::forms
