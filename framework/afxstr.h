// Strings and typed lists of the class library. The standard library already is the
// facility: byte-wise comparing strings, lists that keep insertion order and copy elements.
#pragma once

#include <list>
#include <string>

using CString = std::string;
using CStringList = std::list<std::string>;
template <class T>
using CTypedList = std::list<T>;
