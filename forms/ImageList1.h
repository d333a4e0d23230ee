#pragma once
// ImageList1: the program's 32 × 32 pictures, by index, for the main menu
// items and the viewer's toolbar. The pictures are SVG files compiled into
// the program's resources (forms/icons); they need the Qt SVG icon engine at
// run time, without which the icons come out empty.

#include <QIcon>

enum class ImageListEntry : int {
    OpenFile = 0,     // "Carregar teste"
    RaiseAxis = 1,    // viewer: ToolButton7, temperature axis maximum + 10
    Password = 2,     // "Senhas"
    Save = 3,         // viewer: "Salvar dados"
    Exit = 4,         // "Sair"
    Clock = 5,        // "Ajustar Relógio"
    Spreadsheet = 6,  // viewer: "Exportar EXCEL"
    Unit = 7,         // "Unidade", "°C", "°F"
    SampleRate = 8,   // "Taxa de amostragem"
    ReadTests = 9,    // "Ler Testes"
    EraseMemory = 10, // "Apagar memória"
    Calibrate = 11,   // "Zerar OFFSET", "Calibrar"
    Print = 12,       // viewer: "Imprimir"
    SerialPort = 13,  // "Porta Serial", "Comm1" ... "Comm4"
    Search = 14,      // "Procurar"
    Disconnect = 15,  // "Desconectar"
};

constexpr int imageListCount = 16;
constexpr int imageListSize = 32;

// The picture at index; an empty icon outside 0 .. imageListCount - 1.
QIcon imageListIcon(int index);
inline QIcon imageListIcon(ImageListEntry entry)
{
    return imageListIcon(int(entry));
}
