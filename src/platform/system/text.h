#pragma once
// Text helpers. The game's texts are byte strings in which each byte is one
// character code (0..255), so a byte read from a file is one character.
#include <string>

namespace sq {

std::string IntToText(int n);
std::string CharToText(int code);
std::string Concat(const std::string& a, const std::string& b);
std::string Substring(const std::string& text, int start, int count);  // 1-based start
int CompareText(const std::string& a, const std::string& b);
std::string PadLeft(const std::string& text, int width, const std::string& pad);
int ToInt(double x);  // truncation toward zero

}  // namespace sq
