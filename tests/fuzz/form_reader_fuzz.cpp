// Fuzz target of the form data reader: any input either loads or fails with the loader's
// error text; whatever loads can be walked, typed, edited and written back without a fault.
// Seed corpus: <build>/tests/seeds/form_reader_fuzz (the test forms, compiled at build time).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "forms/form_table.h"
#include "forms/form_writer.h"
#include "forms/type_data.h"

namespace {

using namespace rc::forms;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void NoHandler(rc::HandlerCall&) {}

void Exercise(WindowDefinition& w) {
  UnitTable& t = w.units();
  for (size_t i = 0; i < t.count(); ++i) {
    (void)t.name(i);
    (void)t.geometry(i);
    (void)t.children(i);
    (void)t.tag(i);
    (void)t.bindings(i);
    (void)t.menu_text(i);
    const ByteSpan td = t.type_data(i);
    TypeData typed;
    if (ParseTypeData(t.type_code(i), td.data, td.size, &typed) == TypeDataStatus::kOk) {
      const Bytes again = WriteTypeData(typed);
      TypeData reread;
      Check(ParseTypeData(t.type_code(i), again.data(), again.size(), &reread) ==
            TypeDataStatus::kOk);
      Check(WriteTypeData(reread) == again);
    }
  }
  // Edits keep every record walkable and later records where they belong.
  w.SaveUnits();
  for (size_t i = 0; i < t.count(); ++i) {
    t.SetTag(i, "a longer tag than most records carry");
    t.ReplaceTypeDataField(i, 8, reinterpret_cast<const uint8_t*>("caption"), 7);
  }
  UnitTable reparsed;
  Check(UnitTable::Parse(uint32_t(t.count()), t.bytes(), &reparsed));
  w.RestoreUnits();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<WindowDefinition> windows;
  const LoadStatus status = ParseFormData(data, size, &windows);
  if (!status.ok) {
    Check(std::strcmp(status.message(), kLoadErrorText) == 0);
    return 0;
  }
  for (WindowDefinition& w : windows) Exercise(w);

  static const rc::Routine kRoutines[64] = {NoHandler};
  FormTable table;
  if (table.Load(data, size, {kRoutines, 64}).ok) {
    for (size_t i = 0; i < table.size(); ++i) {
      for (size_t r = 0; r < table.at(i).units().count(); ++r) (void)table.at(i).handler(r, 0);
    }
  }

  std::vector<WindowModel> models;
  bool canonical = false;
  Check(ReadFormModel(data, size, &models, &canonical).ok);
  if (canonical) {
    const Bytes written = WriteFormData(models);
    Check(written.size() == size && (size == 0 || std::memcmp(written.data(), data, size) == 0));
  }
  return 0;
}
