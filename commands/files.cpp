// Whole-file reading and writing, file search and attributes, and the program directory.
// Names arrive as GBK and go to the W functions converted, so that a Chinese folder name works
// whatever the system's ANSI code page.
#include <windows.h>

#include <cstring>
#include <string>

#include "base/kernel_handle.h"
#include "base/text_w.h"
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "runtime/command_host.h"

namespace rc {
namespace {

// Windows moves at most 4 GB per call; larger pieces keep the loops simple and fast.
constexpr DWORD kMaxChunk = 1u << 30;

// Reads up to `size` bytes; returns how many came before the end or an error.
size_t ReadAll(HANDLE h, unsigned char* out, size_t size) {
  size_t done = 0;
  while (done < size) {
    DWORD want = static_cast<DWORD>(size - done < kMaxChunk ? size - done : kMaxChunk);
    DWORD got = 0;
    if (!ReadFile(h, out + done, want, &got, nullptr) || got == 0) break;
    done += got;
  }
  return done;
}

bool WriteAll(HANDLE h, const unsigned char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    DWORD want = static_cast<DWORD>(size - done < kMaxChunk ? size - done : kMaxChunk);
    DWORD put = 0;
    if (!WriteFile(h, data + done, want, &put, nullptr) || put == 0) return false;
    done += put;
  }
  return true;
}

void SetBool(ResultRecord* result, bool value) {
  result->lo = value ? 1u : 0u;
}

}  // namespace

void ReadFileBytes(ResultRecord* result, int argc, ArgRecord* args) {
  const char* name = TextArg(argc, args, 0);
  if (IsEmptyText(name)) return;
  // Others may go on reading the file meanwhile, but nobody may change it under us.
  KernelHandle file(CreateFileW(Wide(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return;
  // A byte block counts its length in 32 bits, and no 32-bit process holds more anyway.
  if (static_cast<unsigned long long>(size.QuadPart) > 0x7FFFFFF0u - 8u) return;
  const auto length = static_cast<size_t>(size.QuadPart);
  HeapBlock block(AllocMem(length + 8));
  auto* bytes = static_cast<unsigned char*>(block.get());
  const size_t got = ReadAll(file.get(), bytes + 8, length);
  if (got == 0) return;
  // A file that shrank while being read gives what could be read; the block stays as
  // allocated, only its length word tells.
  const uint32_t header[2] = {1, static_cast<uint32_t>(got)};
  std::memcpy(bytes, header, sizeof header);
  SetSlotPointer(result, block.release());
}

void WriteBytesToFile(ResultRecord* result, int argc, ArgRecord* args) {
  const char* name = TextArg(argc, args, 0);
  if (IsEmptyText(name)) return;
  KernelHandle file(CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return;
  for (int i = 1; i < argc; ++i) {
    if (args[i].tag != kTagBytes) continue;
    const void* block = SlotPointer(args[i]);
    if (block == nullptr) continue;
    if (!WriteAll(file.get(), ByteBlockData(block), ByteBlockLength(block))) return;
  }
  SetBool(result, true);
}

void AppendLineToFile(ResultRecord* result, int argc, ArgRecord* args) {
  const char* name = TextArg(argc, args, 0);
  const char* line = TextArg(argc, args, 1);
  const char* head = TextArg(argc, args, 2);
  if (IsEmptyText(name) || IsEmptyText(line)) return;
  // Appending only: what the file holds is never written over, whatever happens meanwhile.
  KernelHandle file(CreateFileW(Wide(name).c_str(), GENERIC_READ | FILE_APPEND_DATA,
                                FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file.ok()) return;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) return;
  std::string bytes;
  if (size.QuadPart == 0) {
    if (!IsEmptyText(head)) bytes = head;
  } else {
    // A last line cut by a crash stays as it is; the new line starts on a line of its own.
    LARGE_INTEGER last;
    last.QuadPart = size.QuadPart - 1;
    char c = 0;
    DWORD got = 0;
    if (!SetFilePointerEx(file.get(), last, nullptr, FILE_BEGIN) ||
        !ReadFile(file.get(), &c, 1, &got, nullptr) || got != 1) {
      return;
    }
    if (c != '\n') bytes = "\r\n";
  }
  bytes += line;
  // One write and a flush: a crash or a power cut loses this line at most.
  if (!WriteAll(file.get(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())) {
    return;
  }
  FlushFileBuffers(file.get());
  SetBool(result, true);
}

void FileExists(ResultRecord* result, int argc, ArgRecord* args) {
  const char* name = TextArg(argc, args, 0);
  if (IsEmptyText(name)) return;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(name).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FindClose(search);
  SetBool(result, true);
}

void SetFileAttr(ResultRecord* result, int argc, ArgRecord* args) {
  const char* name = TextArg(argc, args, 0);
  if (IsEmptyText(name)) return;
  // Only read-only, hidden, system and archive may be set this way.
  DWORD attributes = static_cast<uint32_t>(IntArgOr(argc, args, 1, 0)) & 0x27u;
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;  // "none" has its own spelling
  SetBool(result, SetFileAttributesW(Wide(name).c_str(), attributes) != FALSE);
}

void RenameFile(ResultRecord* result, int argc, ArgRecord* args) {
  const char* from = TextArg(argc, args, 0);
  const char* to = TextArg(argc, args, 1);
  if (IsEmptyText(from) || IsEmptyText(to)) return;
  // Never over an existing file: whatever lies there was put there by someone else. Written
  // through, so that the name points at the whole file once the call returns.
  SetBool(result,
          MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH) != FALSE);
}

void RemoveFile(ResultRecord* result, int argc, ArgRecord* args) {
  const char* name = TextArg(argc, args, 0);
  if (IsEmptyText(name)) return;
  SetBool(result, DeleteFileW(Wide(name).c_str()) != FALSE);
}

void GetProgramDir(ResultRecord* result, int, ArgRecord*) {
  SetSlotPointer(result, CopyText(CommandHost::ProgramDir().c_str()));
}

void GetUserLibraryDir(ResultRecord* result, int, ArgRecord*) {
  SetSlotPointer(result, CopyText(CommandHost::UserLibraryDir().c_str()));
}

}  // namespace rc
