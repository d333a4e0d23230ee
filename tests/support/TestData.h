#pragma once
// QFETCH as an expression, for comparing a data column in place.
#include <QtTest>

#define FETCHED(Type, name) (*static_cast<Type *>(QTest::qData(#name, ::qMetaTypeId<Type>())))
