#include "forms/form_writer.h"

#include <cstring>

namespace rc::forms {

Bytes WriteRecordData(const RecordModel& m) {
  Bytes out;
  ByteWriter w(&out);
  w.U32(m.type_code);
  w.U32(m.event_source);
  for (uint32_t v : m.reserved3) w.U32(v);
  w.ZeroText(m.name);
  w.ZeroText(m.reserved_text);
  if (IsMenuItemId(m.id)) {
    w.Raw(m.menu_extra, kMenuExtraSize);
    w.ZeroText(m.menu_text);
    w.I32(m.menu_handler);
  } else {
    w.U32(m.object_slot);
    w.I32(m.geometry.left);
    w.I32(m.geometry.top);
    w.I32(m.geometry.width);
    w.I32(m.geometry.height);
    w.U32(m.cursor_slot);
    w.U32(m.parent);
    w.U32(uint32_t(m.children.size()));
    for (uint32_t c : m.children) w.U32(c);
    w.CountedBytes(m.cursor);
    w.ZeroText(m.tag);
    w.U32(m.reserved13);
    w.U32(m.state_flags);
    w.U32(m.reserved15);
    w.U32(uint32_t(m.bindings.size()));
    for (const Binding& b : m.bindings) {
      w.I32(b.event);
      w.I32(b.offset);
    }
    for (uint32_t v : m.reserved17) w.U32(v);
  }
  w.Raw(m.type_data);
  return out;
}

Bytes WriteUnitTable(const std::vector<RecordModel>& records) {
  Bytes area;
  ByteWriter aw(&area);
  std::vector<uint32_t> offsets;
  for (const RecordModel& r : records) {
    offsets.push_back(uint32_t(area.size()));
    aw.CountedBytes(WriteRecordData(r));
  }
  Bytes out;
  ByteWriter w(&out);
  for (const RecordModel& r : records) w.U32(r.id);
  for (uint32_t off : offsets) w.U32(off);
  w.Raw(area);
  return out;
}

Bytes WriteFormData(const std::vector<WindowModel>& windows) {
  Bytes out;
  if (windows.empty()) return out;
  ByteWriter w(&out);
  w.U32(uint32_t(windows.size() * 8));
  for (const WindowModel& win : windows) w.U32(win.id);
  for (const WindowModel& win : windows) w.U32(win.placeholder);
  for (const WindowModel& win : windows) {
    w.U32(win.word_a);
    w.U32(win.word_b);
    w.CountedText(win.text1);
    w.CountedText(win.text2);
    w.U32(uint32_t(win.records.size()));
    w.CountedBytes(WriteUnitTable(win.records));
  }
  return out;
}

RecordModel ReadRecordModel(const UnitTable& table, size_t i) {
  RecordModel m;
  const ByteSpan rec = table.record(i);
  const RecordLayout l = table.layout(i);
  auto dword = [&](size_t at) { return LoadU32(rec.data + at); };
  auto text = [&](size_t at, size_t len) {
    return std::string(reinterpret_cast<const char*>(rec.data + at), len);
  };
  m.id = table.id(i);
  m.type_code = dword(0);
  m.event_source = dword(4);
  for (int k = 0; k < 4; ++k) m.reserved3[k] = dword(8 + 4 * k);
  m.name = text(l.name, l.name_len);
  m.reserved_text = text(l.reserved_text, l.reserved_text_len);
  if (l.menu_item) {
    std::memcpy(m.menu_extra, rec.data + l.menu_extra, kMenuExtraSize);
    m.menu_text = text(l.menu_text, l.menu_text_len);
    m.menu_handler = int32_t(dword(l.menu_handler));
  } else {
    m.object_slot = dword(l.object_slot);
    m.geometry = table.geometry(i);
    m.cursor_slot = dword(l.cursor_slot);
    m.parent = dword(l.parent);
    m.children = table.children(i);
    const ByteSpan cursor = table.cursor(i);
    m.cursor.assign(cursor.data, cursor.data + cursor.size);
    m.tag = text(l.tag, l.tag_len);
    m.reserved13 = dword(l.reserved13);
    m.state_flags = dword(l.flags);
    m.reserved15 = dword(l.reserved15);
    m.bindings = table.bindings(i);
    for (int k = 0; k < 5; ++k) m.reserved17[k] = dword(l.reserved17 + 4 * k);
  }
  m.type_data.assign(rec.data + l.rest, rec.data + rec.size);
  return m;
}

bool IsCanonicalLayout(const UnitTable& table) {
  size_t expected = 0;
  const size_t area = table.count() * 8;
  for (size_t i = 0; i < table.count(); ++i) {
    if (LoadU32(table.bytes().data() + table.count() * 4 + i * 4) != expected) return false;
    expected += 4 + table.record(i).size;
  }
  return area + expected == table.bytes().size();
}

LoadStatus ReadFormModel(const uint8_t* data, size_t size, std::vector<WindowModel>* out,
                         bool* canonical) {
  out->clear();
  *canonical = true;
  std::vector<WindowDefinition> windows;
  LoadStatus status = ParseFormData(data, size, &windows);
  if (!status.ok) return status;
  // An index of no windows reads like no form data at all, which the writer spells as no bytes.
  if (windows.empty() && size != 0) *canonical = false;
  for (size_t w = 0; w < windows.size(); ++w) {
    const WindowDefinition& def = windows[w];
    WindowModel m;
    m.id = def.id();
    m.placeholder = LoadU32(data + 4 + windows.size() * 4 + w * 4);
    m.word_a = def.word_a();
    m.word_b = def.word_b();
    m.text1 = def.text1_stored();
    m.text2 = def.text2_stored();
    const UnitTable& table = def.units();
    for (size_t i = 0; i < table.count(); ++i) m.records.push_back(ReadRecordModel(table, i));
    if (!IsCanonicalLayout(table)) *canonical = false;
    out->push_back(std::move(m));
  }
  return status;
}

}  // namespace rc::forms
