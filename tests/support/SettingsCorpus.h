#pragma once

#include <QByteArray>
#include <vector>

namespace stellwick::test {

struct SettingsFile {
    const char* name;
    QByteArray bytes;
};

// A valid settings file in the form the application writes it.
QByteArray canonicalSettingsFile();
// Files the store must accept.
std::vector<SettingsFile> usableSettingsFiles();
// Files the store must refuse, and so never overwrite.
std::vector<SettingsFile> unusableSettingsFiles();

} // namespace stellwick::test
