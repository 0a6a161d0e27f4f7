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
#include "forms/type_data.h"

namespace formc {

using rc::forms::Binding;
using rc::forms::BlobKind;
using rc::forms::Bytes;
using rc::forms::FontRecord;
using rc::forms::RecordModel;
using rc::forms::TypeData;
using rc::forms::WindowModel;

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
bool ReadDescription(const std::string& path, WindowModel* out, std::vector<std::string>* inputs,
                     RoutineNames* routines, std::string* error);

// The files a dump writes beside its descriptions; identical contents share one file.
class FileStore {
 public:
  std::string Add(const std::string& wanted_name, const Bytes& bytes);
  const std::map<std::string, Bytes>& files() const { return files_; }

 private:
  std::map<std::string, Bytes> files_;
  std::map<Bytes, std::string> names_;
};

// The description text of one window. `base` names the files it refers to.
std::string WriteDescription(const WindowModel& window, const std::string& base, FileStore* files);

// A font record's attributes after its face, in the order a description writes them. Beside
// them: "size N" for a negative height, "bold" for a weight of 700.
struct FontNumber {
  const char* name;
  int32_t FontRecord::*field;
};
inline constexpr FontNumber kFontNumbers[] = {
    {"height", &FontRecord::height},         {"width", &FontRecord::width},
    {"escapement", &FontRecord::escapement}, {"orientation", &FontRecord::orientation},
    {"weight", &FontRecord::weight},
};
struct FontByte {
  const char* name;
  uint8_t FontRecord::*field;
  bool flag;  // alone it means 1
};
inline constexpr FontByte kFontBytes[] = {
    {"italic", &FontRecord::italic, true},
    {"underline", &FontRecord::underline, true},
    {"strikeout", &FontRecord::strike_out, true},
    {"charset", &FontRecord::char_set, false},
    {"out_precision", &FontRecord::out_precision, false},
    {"clip_precision", &FontRecord::clip_precision, false},
    {"quality", &FontRecord::quality, false},
    {"pitch_family", &FontRecord::pitch_and_family, false},
};

}  // namespace formc
