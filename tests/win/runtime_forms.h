// Form data for the runtime frame's tests: windows made of their window unit only, written with
// the form writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/routines.h"
#include "forms/form_writer.h"
#include "forms/type_data.h"

namespace rc::test {

struct TestWindow {
  uint32_t id;
  uint32_t unit_id;
  std::string title;  // GBK
  int left, top, width, height;
  std::vector<forms::Binding> bindings;  // (event, handler offset)
  bool visible = true;
  int start_position = 0;
  uint32_t version = forms::WindowData::kMaxVersion;  // a higher one cannot be created
};

inline forms::Bytes WriteTestForms(const std::vector<TestWindow>& windows) {
  std::vector<forms::WindowModel> models;
  for (const TestWindow& w : windows) {
    forms::WindowData data;
    data.version = w.version;
    data.title = w.title;
    data.start_position = w.start_position;
    data.min_button = 0;
    forms::RecordModel record;
    record.id = w.unit_id;
    record.type_code = forms::kTypeWindow;
    record.geometry = {w.left, w.top, w.width, w.height};
    record.state_flags = w.visible ? uint32_t{forms::kStateVisible} : 0u;
    record.bindings = w.bindings;
    record.type_data = forms::WriteTypeDataAs(data);
    forms::WindowModel model;
    model.id = w.id;
    model.records.push_back(record);
    models.push_back(model);
  }
  return forms::WriteFormData(models);
}

}  // namespace rc::test
