#pragma once
// Numbered error messages explained from the error table "VESK.ERR" in the
// program directory.
//
// Table layout: an entry starts at the first line that contains "#<number> ";
// the text after that line's first blank is the title, then body lines follow
// up to a line starting with "=" (or the end of the file).
#include <cstddef>
#include <cstdint>
#include <string>

// Decimal text with a comma before every group of three digits
// (1234 -> "1,234"); negative numbers get no commas.
std::string FormatThousands(int32_t n);

// The longest message text; longer texts are cut.
constexpr std::size_t kMaxErrorMessageLength = 1000;

// The text ShowErrorMessage shows for number and context, read from the table
// at tablePath (a missing file gives the fixed explanation naming tablePath).
// Empty for number < 1. Throws InOutError if the table exists but cannot be
// read.
std::string ComposeErrorMessage(int32_t number, const std::string& context,
                                const std::string& tablePath);
// Same, with the table in the program directory.
std::string ComposeErrorMessage(int32_t number, const std::string& context);
// Path of the error table: DataDirectory() + "VESK.ERR".
std::string ErrorTablePath();

// Restores the default cursor and shows the composed message in a box titled
// "Error" with an OK button; nothing for number < 1.
void ShowErrorMessage(int32_t number, const std::string& context);
