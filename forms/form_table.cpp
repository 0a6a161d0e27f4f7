#include "forms/form_table.h"

#include <utility>

namespace rc::forms {
namespace {

// Takes the unit table bytes of one window. Record 0 is always the window unit; a table
// without one cannot make a window.
bool ReadUnitTable(uint32_t count, const uint8_t* table, size_t length, UnitTable* out) {
  if (count == 0 || !UnitTable::Parse(count, Bytes(table, table + length), out)) return false;
  return IdKind(out->id(0)) == kKindWindowUnit && out->type_code(0) == kTypeWindow;
}

}  // namespace

void WindowDefinition::SaveUnits() {
  saved_ = live_;
}

void WindowDefinition::RestoreUnits() {
  if (!saved_) return;
  live_ = std::move(*saved_);
  saved_.reset();
  object_slots_.assign(live_.count(), 0);
  cursor_slots_.assign(live_.count(), 0);
}

void WindowDefinition::DropSavedUnits() {
  saved_.reset();
}

uintptr_t WindowDefinition::object_slot(size_t record) const {
  return record < object_slots_.size() ? object_slots_[record] : 0;
}

void WindowDefinition::set_object_slot(size_t record, uintptr_t value) {
  if (record < object_slots_.size()) object_slots_[record] = value;
}

uintptr_t WindowDefinition::cursor_slot(size_t record) const {
  return record < cursor_slots_.size() ? cursor_slots_[record] : 0;
}

void WindowDefinition::set_cursor_slot(size_t record, uintptr_t value) {
  if (record < cursor_slots_.size()) cursor_slots_[record] = value;
}

const Routine* WindowDefinition::handler(size_t record, int32_t event) const {
  if (record >= handlers_.size()) return nullptr;
  const bool menu = live_.is_menu_item(record);
  for (const BoundHandler& h : handlers_[record]) {
    if (menu || h.event == event) return h.routine;
  }
  return nullptr;
}

bool WindowDefinition::Bind(const RoutineTable& routines) {
  auto bind = [&](int32_t offset, const Routine** out) {
    if (offset == kNoHandlerOffset) {
      *out = nullptr;
      return true;
    }
    // Only whole slots of the table are routines (see base/routines.h).
    if (offset < 0 || offset % kRoutineOffsetStride != 0) return false;
    const size_t index = size_t(offset) / kRoutineOffsetStride;
    if (!routines.base || index >= routines.count) return false;
    *out = routines.base + index;
    return true;
  };
  handlers_.assign(live_.count(), {});
  for (size_t i = 0; i < live_.count(); ++i) {
    std::vector<Binding> stored;
    if (live_.is_menu_item(i)) {
      stored.push_back({0, live_.menu_handler(i)});
    } else {
      stored = live_.bindings(i);
    }
    for (const Binding& b : stored) {
      const Routine* routine = nullptr;
      if (!bind(b.offset, &routine)) return false;
      handlers_[i].push_back({b.event, routine});
    }
  }
  return true;
}

LoadStatus ParseFormData(const uint8_t* data, size_t size, std::vector<WindowDefinition>* out) {
  out->clear();
  if (size == 0) return LoadStatus::Ok();
  ByteReader r(data, size);
  const uint32_t index_length = r.Count(1);
  if (r.failed() || index_length % 8 != 0) return LoadStatus::Failed(r.pos());
  const uint32_t window_count = index_length / 8;
  std::vector<uint32_t> ids(window_count);
  for (uint32_t& id : ids) id = r.U32();
  r.Skip(size_t(window_count) * 4);  // placeholders for the loaded definitions
  std::vector<WindowDefinition> windows(window_count);
  for (uint32_t w = 0; w < window_count; ++w) {
    WindowDefinition& def = windows[w];
    def.id_ = ids[w];
    def.word_a_ = r.U32();
    def.word_b_ = r.U32();
    def.text1_ = r.CountedRaw();
    def.text2_ = r.CountedRaw();
    const uint32_t count = r.U32();
    const uint32_t length = r.Count(1);
    const uint8_t* table = r.Take(length);
    if (r.failed() || !ReadUnitTable(count, table, length, &def.live_)) {
      return LoadStatus::Failed(r.pos());
    }
    def.object_slots_.assign(def.live_.count(), 0);
    def.cursor_slots_.assign(def.live_.count(), 0);
  }
  // The last window definition ends exactly at the end of the block.
  if (r.failed() || r.remaining() != 0) return LoadStatus::Failed(r.pos());
  *out = std::move(windows);
  return LoadStatus::Ok();
}

LoadStatus FormTable::Load(const uint8_t* data, size_t size, const RoutineTable& routines) {
  std::vector<WindowDefinition> windows;
  LoadStatus status = ParseFormData(data, size, &windows);
  if (!status.ok) return status;
  for (WindowDefinition& w : windows) {
    if (!w.Bind(routines)) return LoadStatus::Failed(size);
  }
  for (WindowDefinition& w : windows) windows_.push_back(std::move(w));
  return LoadStatus::Ok();
}

WindowDefinition* FormTable::Find(uint32_t window_id) {
  for (WindowDefinition& w : windows_) {
    if (w.id() == window_id) return &w;
  }
  return nullptr;
}

const WindowDefinition* FormTable::Find(uint32_t window_id) const {
  for (const WindowDefinition& w : windows_) {
    if (w.id() == window_id) return &w;
  }
  return nullptr;
}

}  // namespace rc::forms
