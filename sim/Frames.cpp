#include "Frames.h"

#include <cctype>
#include <cstdio>

std::string temperatureText(double celsius, bool fahrenheit)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", roundTenth(fahrenheit ? toFahrenheit(celsius) : celsius));
    return text;
}

std::string readingsFrame(char letter, const Readings &celsius, bool fahrenheit)
{
    std::string frame = ":";
    frame += fahrenheit ? char(std::tolower(letter)) : letter;
    frame += temperatureText(celsius.wet, fahrenheit);
    frame += 'D';
    frame += temperatureText(celsius.dry, fahrenheit);
    frame += 'G';
    frame += temperatureText(celsius.globe, fahrenheit);
    frame += "\r\n";
    return frame;
}

std::string plainFrame(char letter, std::string_view body)
{
    std::string frame = ":";
    frame += letter;
    frame += body;
    frame += "\r\n";
    return frame;
}

std::string memoryFrame(int capacity, int freeRecords)
{
    return plainFrame('F', "MEM T" + std::to_string(capacity) + "L" + std::to_string(freeRecords));
}

std::string recordFrame(int testNumber, const StoredRecord &record, bool fahrenheit)
{
    char head[64];
    std::snprintf(head, sizeof head, ":A%02d[%04d]", testNumber, record.registerNumber);
    std::string frame = head;
    frame += record.date + ' ' + record.time + ' ';
    frame += "UMI=" + temperatureText(record.values.wet, fahrenheit) + '\x01';
    frame += "SEC=" + temperatureText(record.values.dry, fahrenheit) + '\x01';
    frame += "GLO=" + temperatureText(record.values.globe, fahrenheit) + '\x01';
    frame += 'C';
    return frame;
}
