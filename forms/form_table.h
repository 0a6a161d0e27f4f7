// The window definition table: the form data block read into one definition per window, with
// each unit's event bindings bound to application routines (base/routines.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/routines.h"
#include "forms/form_ids.h"
#include "forms/unit_table.h"

namespace rc::forms {

// Outcome of reading form data. A failure carries the loader's one error text and the
// position in the block where reading stopped (for tools; the runtime shows only the text).
struct LoadStatus {
  bool ok = true;
  size_t offset = 0;

  static LoadStatus Ok() { return {}; }
  static LoadStatus Failed(size_t at) { return {false, at}; }
  const char* message() const { return ok ? "" : kLoadErrorText; }
};

class WindowDefinition {
 public:
  uint32_t id() const { return id_; }
  uint32_t word_a() const { return word_a_; }
  uint32_t word_b() const { return word_b_; }
  // Texts 1 and 2 as stored (all bytes), and as texts (cut at a NUL).
  const std::string& text1_stored() const { return text1_; }
  const std::string& text2_stored() const { return text2_; }
  std::string text1() const { return text1_.substr(0, text1_.find('\0')); }
  std::string text2() const { return text2_.substr(0, text2_.find('\0')); }

  // The live unit table: as loaded, edited in place by property writes.
  UnitTable& units() { return live_; }
  const UnitTable& units() const { return live_; }

  // Each load of the window first saves the live table; when the window's native window is
  // destroyed the saved table is put back and the run-time slots are emptied, so the next load
  // starts from the state this load started from. A load that fails drops the saved copy.
  void SaveUnits();
  void RestoreUnits();
  void DropSavedUnits();
  bool has_saved_units() const { return saved_.has_value(); }

  // Run-time slots of each record (the live unit object and its mouse cursor). They are kept
  // here, pointer-sized, rather than in the 32-bit slot words of the records.
  uintptr_t object_slot(size_t record) const;
  void set_object_slot(size_t record, uintptr_t value);
  uintptr_t cursor_slot(size_t record) const;
  void set_cursor_slot(size_t record, uintptr_t value);

  // The handler bound to an event of a record: the first binding with that event number;
  // null when there is none or it is bound to no handler. For a menu item record the event
  // number is not looked at: a menu item has one handler.
  const Routine* handler(size_t record, int32_t event) const;

 private:
  friend LoadStatus ParseFormData(const uint8_t*, size_t, std::vector<WindowDefinition>*);
  friend class FormTable;

  struct BoundHandler {
    int32_t event;
    const Routine* routine;
  };

  bool Bind(const RoutineTable& routines);

  uint32_t id_ = 0;
  uint32_t word_a_ = 0;
  uint32_t word_b_ = 0;
  std::string text1_;
  std::string text2_;
  UnitTable live_;
  std::optional<UnitTable> saved_;
  std::vector<uintptr_t> object_slots_;
  std::vector<uintptr_t> cursor_slots_;
  std::vector<std::vector<BoundHandler>> handlers_;
};

// Reads a whole form data block, without binding handlers. Size 0 gives no windows.
LoadStatus ParseFormData(const uint8_t* data, size_t size, std::vector<WindowDefinition>* out);

class FormTable {
 public:
  // Reads the block and binds every handler offset against the routine table. Succeeds or
  // fails as a whole: on failure the table keeps what it had.
  LoadStatus Load(const uint8_t* data, size_t size, const RoutineTable& routines);

  size_t size() const { return windows_.size(); }
  WindowDefinition& at(size_t i) { return windows_[i]; }
  const WindowDefinition& at(size_t i) const { return windows_[i]; }
  WindowDefinition* Find(uint32_t window_id);
  const WindowDefinition* Find(uint32_t window_id) const;

 private:
  std::vector<WindowDefinition> windows_;
};

}  // namespace rc::forms
