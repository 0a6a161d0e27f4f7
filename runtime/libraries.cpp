#include "runtime/libraries.h"

#include "runtime/units/label.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/pic_box.h"
#include "runtime/units/splitter_bar.h"
#include "runtime/units/super_btn.h"
#include "runtime/units/trans_label.h"
#include "runtime/units/window.h"

namespace rc {

namespace {

// No library needs telling of the program's start or end (their notify functions are null): the
// unit types get the frame's host from the frame itself, and what the library commands keep is
// let go by the program's end.

// Data type tables, indexed by type number - 1. Numbers without a type in this runtime stay
// empty descriptors: a unit of such a type cannot be created.
// One line per slot with the comment at a fixed column, so that adding a type touches only its
// own line.
// clang-format off
const DataTypeDescriptor kCoreTypes[32] = {
    WindowTypeDescriptor(),             // 1 window
    {},                                 // 2
    {},                                 // 3
    {},                                 // 4
    EditBoxTypeDescriptor(),            // 5 EditBox
    PicBoxTypeDescriptor(),             // 6 PicBox
    {},                                 // 7
    {},                                 // 8
    GroupBoxTypeDescriptor(),           // 9 GroupBox
    LabelTypeDescriptor(),              // 10 Label
    ButtonTypeDescriptor(),             // 11 Button
    {},                                 // 12
    RadioBoxTypeDescriptor(),           // 13 RadioBox
    {},                                 // 14
    {},                                 // 15
    {},                                 // 16
    {},                                 // 17
    VScrollBarTypeDescriptor(),         // 18 VScrollBar
    ProcessBarTypeDescriptor(),         // 19 ProcessBar
    {},                                 // 20
    {},                                 // 21
    {},                                 // 22
    {},                                 // 23
    {},                                 // 24
    {},                                 // 25
    {},                                 // 26
    {},                                 // 27
    {},                                 // 28
    {},                                 // 29
    {},                                 // 30
    {},                                 // 31
    TimerTypeDescriptor(),              // 32 Timer
};
const DataTypeDescriptor kExtendedUiOneTypes[5] = {
    {},                                 // 1
    {},                                 // 2
    {},                                 // 3
    {},                                 // 4
    TransLabelTypeDescriptor(),         // 5 TransLabel
};
const DataTypeDescriptor kExtendedUiTwoTypes[3] = {
    SuperBtnTypeDescriptor(),           // 1 SuperBtn
    {},                                 // 2
    SplitterBarTypeDescriptor(),        // 3 SplitterBar
};
const DataTypeDescriptor kMultimediaTypes[1] = {
    SysVolumeTypeDescriptor(),          // 1 SysVolume
};
// clang-format on

}  // namespace

const LibraryDescriptor kCoreLibrary = {kLibrarySignature, "core", 1, 32, kCoreTypes, nullptr};
const LibraryDescriptor kExtendedUiOneLibrary = {
    kLibrarySignature, "extended UI one", 1, 5, kExtendedUiOneTypes, nullptr};
const LibraryDescriptor kExtendedUiTwoLibrary = {
    kLibrarySignature, "extended UI two", 1, 3, kExtendedUiTwoTypes, nullptr};
const LibraryDescriptor kInternetLibrary = {kLibrarySignature, "internet", 1, 0, nullptr, nullptr};
const LibraryDescriptor kAppInterfaceLibrary = {
    kLibrarySignature, "application interface", 1, 0, nullptr, nullptr};
const LibraryDescriptor kMultimediaLibrary = {kLibrarySignature, "multimedia", 1, 1,
                                              kMultimediaTypes,  nullptr};

const LibraryDescriptor* const kStandardLibraries[6] = {
    &kCoreLibrary,     &kExtendedUiOneLibrary, &kExtendedUiTwoLibrary,
    &kInternetLibrary, &kAppInterfaceLibrary,  &kMultimediaLibrary,
};

}  // namespace rc
