#pragma once
// The file name "Salvar dados" proposes for a test: the "Nome" field ("Teste"
// when it is blank), a blank and the date of the first record, ".tvq", as
// "Forno 2 01-02-2024.tvq". The date's "/" and every character a file name
// cannot hold here or on Windows (where test files travel) become "-"; a test
// without a dated record gets no date.

#include <QString>

class ViewerTable;

QString proposedTestFileName(const QString &name, const ViewerTable &table);
