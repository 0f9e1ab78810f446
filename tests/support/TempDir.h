#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <string>

namespace versino::testing {

// A fresh folder for one test, removed afterwards.
class TempDir {
public:
    TempDir() : dir_(QDir::tempPath() + "/versino-test-XXXXXX") {}
    QString path(const QString& name = {}) const { return name.isEmpty() ? dir_.path() : dir_.filePath(name); }
    std::string str(const QString& name = {}) const { return path(name).toStdString(); }

private:
    QTemporaryDir dir_;
};

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

} // namespace versino::testing
