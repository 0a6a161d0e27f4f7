// Form descriptions: the readable text form of one window definition (UTF-8, extension .form).
//
//   # comment
//   window 0x52010001           one window per description
//   word_a = 0x00008056         window fields: word_a, word_b, text1, text2, placeholder
//
//   unit 0x06010000 window      one block per record, in record order; the type is a unit
//   pos = 50, 50, 617, 407      type name or a type code; the first record is the window unit
//   flags = visible
//   event 0 = OnCreated         handler: a routine name, routine N (offset 4 x N), offset N,
//                               or none
//   data version 6              typed type data follows, by field name or [property index];
//   title = "窗口"              fields left out keep the type's defaults
//   icon = file "main.ico"
//
// Record fields: name, reserved_text, event_source, reserved (4 numbers), object_slot, pos,
// cursor_slot, parent, children, cursor, tag, reserved13, flags, reserved15, event N,
// reserved17 (5 numbers); for menu items: menu_extra, menu_text, menu_handler. Type data:
// "data version N" (typed), or "data raw BYTES" for data kept as stored.
// Values: numbers (decimal or 0x hex), "texts" with \\ \" \r \n \t \xHH escapes, colours
// (a number or default), bytes: none | file "path" | hex "0A0B" | system N (a 4-byte id) |
// face "name" size N bold italic underline strikeout weight N charset N ... (a font record).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "forms/form_writer.h"

namespace formc {

// The routine table that handler names build, shared by every description of one form data
// block: a name gets the next index the first time any description binds it, so renaming or
// adding a handler can never shift another event onto the wrong routine. Names and numbers
// cannot be mixed in one block, since numbers would collide with the indexes names are given.
struct RoutineNames {
  std::vector<std::string> names;
  bool numbered = false;  // some binding used routine N or offset N

  uint32_t IndexOf(const std::string& name);
};

// Reads one description. Files it refers to are read relative to its folder and listed in
// `inputs`; handler names are added to `routines`. On failure `error` is "path:line: message".
bool ReadDescription(const std::string& path, rc::forms::WindowModel* out,
                     std::vector<std::string>* inputs, RoutineNames* routines, std::string* error);

// The files a dump writes beside its descriptions; identical contents share one file.
class FileStore {
 public:
  std::string Add(const std::string& wanted_name, const rc::forms::Bytes& bytes);
  const std::map<std::string, rc::forms::Bytes>& files() const { return files_; }

 private:
  std::map<std::string, rc::forms::Bytes> files_;
  std::map<rc::forms::Bytes, std::string> names_;
};

// The description text of one window. `base` names the files it refers to.
std::string WriteDescription(const rc::forms::WindowModel& window, const std::string& base,
                             FileStore* files);

}  // namespace formc
