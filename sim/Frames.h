#pragma once
// The meter's reply frames, written byte for byte as the meter sends them:
// ":" and a reply letter, the fields, and CR LF, except the stored-record
// frame, which ends with its "C". Numbers carry one decimal and a period.

#include "Readings.h"
#include "StoredTests.h"

#include <string>
#include <string_view>

// "24.5", or the same temperature in Fahrenheit ("76.1").
std::string temperatureText(double celsius, bool fahrenheit);

// ":W24.5D30.2G33.8\r\n" for letter 'W'; the letter is lower-case in Fahrenheit.
std::string readingsFrame(char letter, const Readings &celsius, bool fahrenheit);

// ":" letter body "\r\n".
std::string plainFrame(char letter, std::string_view body);

// ":FMEM T<capacity>L<free>\r\n": the memory gauge's maximum and position.
std::string memoryFrame(int capacity, int freeRecords);

// ":A01[0012]13/05/24 08:00:05 UMI=24.7\x01SEC=30.1\x01GLO=33.9\x01C".
std::string recordFrame(int testNumber, const StoredRecord &record, bool fahrenheit);
