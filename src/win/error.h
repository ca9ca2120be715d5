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

// Error numbers the program raises or reports; errorDescription has the text of each.
namespace ErrorNumber {
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int FileNotFound = 53;
inline constexpr int BadFileNameOrNumber = 52;
inline constexpr int BadRecordNumber = 63;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathNotFound = 76;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int DeviceIoError = 57;
inline constexpr int PathFileAccessError = 75;
inline constexpr int InvalidPicture = 481;
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int DivisionByZero = 11;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int ObjectVariableNotSet = 91;
inline constexpr int InvalidPropertyArrayIndex = 381;
inline constexpr int FormatDoesNotMatchData = 461;
inline constexpr int IndexOutOfBounds = 35600;
inline constexpr int ElementNotFound = 35601;
inline constexpr int KeyNotUnique = 35602;
}  // namespace ErrorNumber

// The standard description of an error number ("File not found" for 53); "Application-defined or
// object-defined error" for numbers without one.
std::string errorDescription(int number);

// "Error # " + the number with a leading space when it is not negative + CR + the description:
// the text that the error label and the warning box show.
std::string errorText(int number, const std::string& description);
std::string errorText(const Error& error);

}  // namespace plivora
