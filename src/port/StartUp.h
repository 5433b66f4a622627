#pragma once

#include <QString>

// The default capture folder, ending with the folder separator: the user's desktop folder.
QString desktopFolder();
