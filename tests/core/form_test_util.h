// Builders for form data in tests: records and windows written with the form writer.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "forms/form_table.h"
#include "forms/form_writer.h"
#include "forms/type_data.h"

namespace rc::forms::testing {

inline RecordModel WindowUnit(uint32_t id = 0x06010000) {
  RecordModel r;
  r.id = id;
  r.type_code = kTypeWindow;
  r.state_flags = kStateVisible;
  return r;
}

inline RecordModel Unit(uint32_t id, uint32_t type_code, std::string name) {
  RecordModel r;
  r.id = id;
  r.type_code = type_code;
  r.name = std::move(name);
  return r;
}

template <class T>
RecordModel Unit(uint32_t id, std::string name, const T& data) {
  RecordModel r = Unit(id, T::kTypeCode, std::move(name));
  r.type_data = WriteTypeDataAs(data);
  return r;
}

inline WindowModel Window(uint32_t id, std::vector<RecordModel> records) {
  WindowModel w;
  w.id = id;
  w.word_a = 0x00008056;
  w.word_b = 0x19010017;
  w.records = std::move(records);
  return w;
}

inline Bytes Block(const std::vector<WindowModel>& windows) {
  return WriteFormData(windows);
}

inline LoadStatus Parse(const Bytes& block, std::vector<WindowDefinition>* out) {
  return ParseFormData(block.data(), block.size(), out);
}

}  // namespace rc::forms::testing
