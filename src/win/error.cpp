#include "win/error.h"

#include <map>

namespace plivora {

Error::Error(int number, std::string description)
    : std::runtime_error(description), m_number(number), m_description(std::move(description)) {}

Error::Error(int number) : Error(number, errorDescription(number)) {}

std::string errorDescription(int number) {
    static const std::map<int, std::string> descriptions = {
        {5, "Invalid procedure call or argument"},
        {6, "Overflow"},
        {7, "Out of memory"},
        {9, "Subscript out of range"},
        {11, "Division by zero"},
        {52, "Bad file name or number"},
        {53, "File not found"},
        {57, "Device I/O error"},
        {58, "File already exists"},
        {63, "Bad record number"},
        {68, "Device unavailable"},
        {70, "Permission denied"},
        {75, "Path/File access error"},
        {76, "Path not found"},
        {91, "Object variable or With block variable not set"},
        {381, "Invalid property array index"},
        {461, "Specified format doesn't match format of data"},
        {481, "Invalid picture"},
        {35600, "Index out of bounds"},
        {35601, "Element not found"},
        {35602, "Key is not unique in collection"},
    };
    auto it = descriptions.find(number);
    return it != descriptions.end() ? it->second : "Application-defined or object-defined error";
}

std::string errorText(int number, const std::string& description) {
    // A non-negative number is formatted with a leading space, so "# " and the digits are two
    // spaces apart.
    std::string text = "Error # ";
    if (number >= 0) {
        text += ' ';
    }
    text += std::to_string(number);
    text += '\r';
    text += description;
    return text;
}

std::string errorText(const Error& error) {
    return errorText(error.number(), error.description());
}

}  // namespace plivora
