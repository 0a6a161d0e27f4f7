// Writing form data: window and unit definitions in the stored layout, and reading a block
// back into the same plain models (for the form compiler and for tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/form_table.h"
#include "forms/unit_table.h"

namespace rc::forms {

// Every stored field of one unit record. Texts are GBK; zero-ended texts cannot hold a NUL.
struct RecordModel {
  uint32_t id = 0;
  uint32_t type_code = 0;
  uint32_t event_source = 0;
  uint32_t reserved3[4] = {};
  std::string name;
  std::string reserved_text;
  // Unit records.
  uint32_t object_slot = 0;
  Geometry geometry;
  uint32_t cursor_slot = 0;
  uint32_t parent = 0;
  std::vector<uint32_t> children;
  Bytes cursor;
  std::string tag;
  uint32_t reserved13 = 0;
  uint32_t state_flags = 0;
  uint32_t reserved15 = 0;
  std::vector<Binding> bindings;
  uint32_t reserved17[5] = {};
  // Menu item records (id kind 0x26).
  uint8_t menu_extra[kMenuExtraSize] = {};
  std::string menu_text;
  int32_t menu_handler = kNoHandlerOffset;
  // What follows the fixed fields: the type data of a unit record (empty: all defaults).
  Bytes type_data;
};

struct WindowModel {
  uint32_t id = 0;
  uint32_t placeholder = 0;  // the index slot the loader overwrites
  uint32_t word_a = 0;
  uint32_t word_b = 0;
  std::string text1;
  std::string text2;
  std::vector<RecordModel> records;
};

// Record data, without the record length dword.
Bytes WriteRecordData(const RecordModel& record);
// Ids, offsets and the records one after the other.
Bytes WriteUnitTable(const std::vector<RecordModel>& records);
Bytes WriteFormData(const std::vector<WindowModel>& windows);

RecordModel ReadRecordModel(const UnitTable& table, size_t i);
// True when the records lie one after the other in table order with nothing between or after
// them, which is how WriteUnitTable lays them out.
bool IsCanonicalLayout(const UnitTable& table);
// Reads a block into models. `canonical` tells whether writing the models gives back the
// same bytes (every unit table laid out as WriteUnitTable lays it out).
LoadStatus ReadFormModel(const uint8_t* data, size_t size, std::vector<WindowModel>* out,
                         bool* canonical);

}  // namespace rc::forms
