#pragma once

#include <QString>

// The program's title and version, taken from the build (one version, set in CMake).
namespace App {
QString Title();
int Major();
int Minor();
int Revision();
} // namespace App
