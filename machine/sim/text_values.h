// Small text helpers for reading machine descriptions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "winapi/windef.h"

namespace machine::sim {

std::string Trim(const std::string& s);
std::string Lower(std::string s);
// Drops a comment: '#' or ';' at the start of the line or after a blank, outside quotes.
std::string StripComment(const std::string& line);
// Words separated by blanks or commas.
std::vector<std::string> Words(const std::string& s);
std::vector<std::string> Split(const std::string& s, char separator);
// A value in double quotes keeps its blanks; \" and \\ stand for " and \.
bool Unquote(const std::string& value, std::string& out, std::string& why);
// Decimal, or hexadecimal with 0x.
bool ParseNumber(const std::string& s, uint64_t& out);
bool ParseBool(const std::string& s, bool& out);
// A number or a Win32 error name such as ERROR_ACCESS_DENIED.
bool ParseErrorCode(const std::string& s, DWORD& out);
// Hexadecimal bytes, with or without blanks between them: "12 00 00" or "120000".
bool ParseHexBytes(const std::string& s, std::vector<uint8_t>& out);

}  // namespace machine::sim
