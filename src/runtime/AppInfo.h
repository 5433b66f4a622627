#pragma once

#include <QString>

// The program's title and version, taken from the build (one version, set in CMake).
namespace App {
QString Title();
int Major();
int Minor();
int Revision();
// The maker's name.
QString Maker();
// The copyright notice up to the given year: "Copyright (c) 2026-<year> Brenix Industries, Inc.",
// the sign being character 169 of the code page.
QString Copyright(int year);
} // namespace App
