#pragma once
// The columns of a test's table, named once: the viewer's table, the reply
// parser that fills it during a download, the test file's reader and writer,
// the assessment, the report and the spreadsheet export all number a record's
// texts so. The values are the column numbers the table, the file and the
// export use; row 0 of the table holds the titles.

enum class RecordColumn { Registro = 0, Hora = 1, Umi = 2, Sec = 3, Glo = 4, IbutgI = 5, IbutgE = 6, Data = 7 };

inline constexpr int RecordColumnCount = 8;

inline constexpr const char *RecordColumnTitles[RecordColumnCount] = {"Registro", "Hora",   "UMI",    "SEC",
                                                                      "GLO",      "IBUTGi", "IBUTGe", "Data"};

// The chart's series of a temperature column: UMI 0, SEC 1, GLO 2.
constexpr int chartSeries(RecordColumn temperature)
{
    return int(temperature) - int(RecordColumn::Umi);
}

constexpr bool isTemperature(int column)
{
    return column >= int(RecordColumn::Umi) && column <= int(RecordColumn::Glo);
}
