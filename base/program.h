// The contract between the application and the runtime: the program header that describes the
// application, and the table of thirteen entry points through which application code reaches
// the runtime. Application code includes this header and nothing else of the runtime.
//
// Entry points (rc::kEntryPoints, in this order; the order is part of the contract):
//   1 ReportRuntimeError(code 1..11)          shows the error report, ends with exit code -1
//   2 CallDllCommand(number, argc, args)      calls the declared DLL command with argc 32-bit
//                                             arguments (args[0] is the first); the callee must
//                                             remove exactly argc * 4 bytes, else error 6
//   3 CallLibraryCommand(fn, library, argc, args)  result record of a library command
//   4 CallCoreCommand(fn, argc, args)         result record of a core command
//   5 ReadProperty(window, unit, index, element)   64-bit value; texts and byte blocks returned
//                                             belong to the caller, who frees them with FreeMem
//   6 WriteProperty(window, unit, index, element, lo, hi)
//   7 AllocMem(size)  8 ReallocMem(block, size)  9 FreeMem(block)
//  10 ExitProgram(code)                       from any thread; the shutdown runs on the main one
//  11 RunMessageLoop()                        returns when the last window is gone
//  12 LoadStartWindow(window id)              "载入启动窗口失败" when it cannot be loaded
//  13 RuntimeService(number, ...)             by number, with its own arguments:
//       0 (FileSearch** search, const char* pattern, uint32_t mask) → next name or null
//       1 (FileSearch* search)                closes a search; null is ignored
//       2 (uint32_t tag, const void* array) → private copy of an array in the constant data
//       3 (ExitRoutine routine)               SetExitRoutine
//       4/5 (uint32_t type code, UnitObject* object, int32_t index, PropertyValue* value)
//                                             read/write a property of a library data object
//       6 (const ProgramHeader* header)       InitRuntime
//
// The runtime calls application code in two ways only: the start routine (StartRoutine below,
// handed to rc::RunProgram from WinMain) and the event handlers bound in the form data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/values.h"

namespace rc {

// A support library (runtime/library.h); the program header names the libraries it uses.
struct LibraryDescriptor;

// Thirteen words, read once by InitRuntime.
struct ProgramHeader {
  uint32_t build_kind;
  uint32_t reserved;
  uint32_t last_id;  // the id counter starts above it
  // Handler offsets in the form data count from here: the address of the application's routine
  // table (base/routines.h), which ends with a null routine.
  uintptr_t code_base;
  const uint8_t* constant_data;
  uint32_t constant_size;  // 0: none
  const uint8_t* form_data;
  uint32_t form_size;  // 0: no forms
  uint32_t library_count;
  const LibraryDescriptor* const* libraries;
  uint32_t dll_count;
  const char* const* dll_files;    // GBK; "" means one of the system DLLs
  const char* const* dll_exports;  // GBK; "#n" is export ordinal n
};
#if defined(__i386__)
static_assert(sizeof(ProgramHeader) == 13 * 4, "the program header is thirteen words");
#endif

using StartRoutine = int (*)();
using ExitRoutine = void (*)();

// Runtime services (entry point 13).
enum : uint32_t {
  kServiceFileSearch = 0,
  kServiceCloseFileSearch = 1,
  kServiceCopyConstantArray = 2,
  kServiceSetExitRoutine = 3,
  kServiceReadObjectProperty = 4,
  kServiceWriteObjectProperty = 5,
  kServiceInitRuntime = 6,
};

// The two entries that end the program never return to their caller.
struct EntryPoints {
  void (*ReportRuntimeError)(int32_t code);
  uint64_t (*CallDllCommand)(uint32_t number, uint32_t argc, const uint32_t* args);
  ResultRecord (*CallLibraryCommand)(CommandFn fn, uint32_t library, uint32_t argc,
                                     ArgRecord* args);
  ResultRecord (*CallCoreCommand)(CommandFn fn, uint32_t argc, ArgRecord* args);
  uint64_t (*ReadProperty)(uint32_t window_id, uint32_t unit_id, int32_t index, int32_t element);
  void (*WriteProperty)(uint32_t window_id, uint32_t unit_id, int32_t index, int32_t element,
                        uint32_t lo, uint32_t hi);
  void* (*AllocMem)(size_t size);
  void* (*ReallocMem)(void* block, size_t size);
  void (*FreeMem)(void* block);
  void (*ExitProgram)(int32_t code);
  void (*RunMessageLoop)();
  void (*LoadStartWindow)(uint32_t window_id);
  uintptr_t (*RuntimeService)(uint32_t number, ...);
};

extern const EntryPoints kEntryPoints;

// The runtime's six support libraries in the order of this program's library table (core,
// extended user interface one and two, internet, application interface, multimedia), for a
// program header.
extern const LibraryDescriptor* const kStandardLibraries[6];

// The program module's read-only data section, where the application's literal texts and byte
// blocks lie: what a program header names as its constant data.
struct DataRange {
  const uint8_t* start;
  uint32_t size;
};
DataRange ProgramReadOnlyData();

// The process start (called from WinMain): initialises the runtime object, runs the start
// routine and, when it returns, the shutdown. Does not return.
[[noreturn]] void RunProgram(StartRoutine start);

}  // namespace rc
