// Loading form data of the program's size: two windows, 90 records, about 216 KB with the
// pictures, written with the form writer.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "forms/form_table.h"
#include "forms/form_writer.h"
#include "forms/type_data.h"

namespace {

using namespace rc::forms;

Bytes Filler(size_t n, uint8_t seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(seed + i * 31);
  return b;
}

Bytes Font(int size) {
  FontRecord f;
  f.height = -size;
  f.weight = 700;
  f.face = "华文行楷";
  return WriteFontRecord(f);
}

RecordModel Record(uint32_t id, uint32_t type, const Bytes& data) {
  RecordModel r;
  r.id = id;
  r.type_code = type;
  r.name = "标签" + std::to_string(id & 0xFF);
  r.geometry = {8, 16, 120, 24};
  r.state_flags = kStateVisible | kStateTabStop;
  r.bindings = {{0, 0}};
  r.type_data = data;
  return r;
}

// Units besides the window unit, with the pictures the program stores.
WindowModel MakeWindow(uint32_t id, uint32_t unit_base, size_t units,
                       const std::vector<size_t>& pictures, size_t icon) {
  WindowModel w;
  w.id = id;
  w.word_a = 0x00008056;
  w.word_b = 0x19010017;
  WindowData window;
  window.title = "MOX随机点名器 v6.0（课上专用）";
  window.icon = Filler(icon, 1);
  RecordModel unit = Record(0x06000000 | unit_base, kTypeWindow, WriteTypeDataAs(window));
  unit.bindings = {{0, 4}, {2, 8}};
  w.records.push_back(unit);
  for (size_t i = 0; i < units; ++i) {
    const uint32_t uid = 0x16000000 | (unit_base + 1 + uint32_t(i));
    if (i < pictures.size()) {
      PicBoxData pic;
      pic.picture = Filler(pictures[i], uint8_t(i));
      w.records.push_back(Record(uid, kTypePicBox, WriteTypeDataAs(pic)));
    } else if (i % 3 == 0) {
      LabelData label;
      label.caption = "计时器显示/隐藏中";
      label.font = Font(56);
      w.records.push_back(Record(uid, kTypeLabel, WriteTypeDataAs(label)));
    } else if (i % 3 == 1) {
      TimerData timer;
      timer.interval = 50;
      w.records.push_back(Record(uid, kTypeTimer, WriteTypeDataAs(timer)));
    } else {
      ButtonData button;
      button.caption = "轻触开始点名";
      button.font = Font(56);
      w.records.push_back(Record(uid, kTypeButton, WriteTypeDataAs(button)));
    }
  }
  return w;
}

Bytes ProgramSizedForms() {
  // The main window: an icon, two JPEGs and a picture button with three copies of an icon.
  WindowModel main = MakeWindow(0x52010001, 0x010000, 46, {6444, 23031, 3 * 33642}, 9041);
  // The countdown window: three pictures, one of them the icon again.
  WindowModel countdown = MakeWindow(0x520100A4, 0x0100A3, 42, {33795, 15112, 9041}, 0);
  return WriteFormData({main, countdown});
}

void NoHandler(rc::HandlerCall&) {}

void BM_LoadProgramSizedForms(benchmark::State& state) {
  const Bytes block = ProgramSizedForms();
  static const rc::Routine kRoutines[8] = {NoHandler};
  for (auto _ : state) {
    FormTable table;
    const LoadStatus status = table.Load(block.data(), block.size(), {kRoutines, 8});
    if (!status.ok || table.size() != 2) state.SkipWithError("form data did not load");
    benchmark::DoNotOptimize(table);
  }
  state.counters["bytes"] = double(block.size());
  state.counters["records"] = 90;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(block.size()));
}
BENCHMARK(BM_LoadProgramSizedForms)->Unit(benchmark::kMicrosecond);

void BM_SaveAndRestoreUnits(benchmark::State& state) {
  const Bytes block = ProgramSizedForms();
  static const rc::Routine kRoutines[8] = {NoHandler};
  FormTable table;
  table.Load(block.data(), block.size(), {kRoutines, 8});
  for (auto _ : state) {
    table.at(0).SaveUnits();
    table.at(0).RestoreUnits();
  }
}
BENCHMARK(BM_SaveAndRestoreUnits)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
