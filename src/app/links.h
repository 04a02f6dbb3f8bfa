#pragma once

#include <QString>

// Where the program sends people: its home page and its support mail box.
inline const QString HomePageAddress = QStringLiteral("https://quillmark.org/");
inline const QString SupportMailAddress = QStringLiteral("support@quillmark.org");
