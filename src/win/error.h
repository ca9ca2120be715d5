#pragma once

#include <stdexcept>
#include <string>

namespace plivora {

// The one error type of the program: a number and a description, as the user sees them.
// Thrown where a fault is found; caught at an event handler's boundary or by ErrorState.
class Error : public std::runtime_error {
public:
    Error(int number, std::string description);
    explicit Error(int number);  // takes the standard description of the number

    int number() const { return m_number; }
    const std::string& description() const { return m_description; }

private:
    int m_number = 0;
    std::string m_description;
};

// Every error number the program raises or reports, with its standard description: one row per
// error, keyed by the name the code uses (ErrorNumber::FileNotFound), so a number and its text
// cannot drift apart. Each row is ROW(name, number, description).
#define PLIVORA_ERROR_TABLE(ROW)                                                      \
    ROW(InvalidProcedureCall, 5, "Invalid procedure call or argument")                \
    ROW(Overflow, 6, "Overflow")                                                      \
    ROW(OutOfMemory, 7, "Out of memory")                                              \
    ROW(SubscriptOutOfRange, 9, "Subscript out of range")                             \
    ROW(DivisionByZero, 11, "Division by zero")                                       \
    ROW(BadFileNameOrNumber, 52, "Bad file name or number")                           \
    ROW(FileNotFound, 53, "File not found")                                           \
    ROW(DeviceIoError, 57, "Device I/O error")                                        \
    ROW(FileAlreadyExists, 58, "File already exists")                                 \
    ROW(BadRecordNumber, 63, "Bad record number")                                     \
    ROW(DeviceUnavailable, 68, "Device unavailable")                                  \
    ROW(PermissionDenied, 70, "Permission denied")                                    \
    ROW(PathFileAccessError, 75, "Path/File access error")                            \
    ROW(PathNotFound, 76, "Path not found")                                           \
    ROW(ObjectVariableNotSet, 91, "Object variable or With block variable not set")   \
    ROW(InvalidPropertyArrayIndex, 381, "Invalid property array index")               \
    ROW(FormatDoesNotMatchData, 461, "Specified format doesn't match format of data") \
    ROW(InvalidPicture, 481, "Invalid picture")                                       \
    ROW(IndexOutOfBounds, 35600, "Index out of bounds")                               \
    ROW(ElementNotFound, 35601, "Element not found")                                  \
    ROW(KeyNotUnique, 35602, "Key is not unique in collection")

namespace ErrorNumber {
#define PLIVORA_ERROR_NUMBER(name, number, description) inline constexpr int name = number;
PLIVORA_ERROR_TABLE(PLIVORA_ERROR_NUMBER)
#undef PLIVORA_ERROR_NUMBER
}  // namespace ErrorNumber

// The standard description of an error number ("File not found" for 53); "Application-defined or
// object-defined error" for numbers without one.
std::string errorDescription(int number);

// "Error # " + the number with a leading space when it is not negative + CR + the description:
// the text that the error label and the warning box show.
std::string errorText(int number, const std::string& description);
std::string errorText(const Error& error);

}  // namespace plivora
