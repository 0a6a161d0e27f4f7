// The classes of the class list file (classes.cpp) and the import of a pasted list
// (class_import.cpp). A class is named by what follows "全班人名：" in its section; the original
// section is the class with the empty name.
#pragma once

#include <string>
#include <vector>

namespace app {

// The class in use, as the file says now.
std::string ClassInUse();
// The section of a class, and how many names of it count: 50 in the original, 500 in another.
std::string ClassSection(const std::string& name);
int ClassLimit(const std::string& name);
// The classes of the file in file order, the original first.
std::vector<std::string> ClassNames();
// The name group box's caption for the class.
void ShowClassInUse(const std::string& name);
// Makes a class the one in use: a running cycle stops first, as a touch of 按钮1 would.
void UseClass(const std::string& name);
// Stops a running name cycle as a touch of 按钮1 does (roll_call.cpp).
void StopNameCycle();

// Reads the clipboard, shows what it holds and makes a new class of it when the teacher agrees.
void ImportClassFromClipboard();

}  // namespace app
