// Every input that once made a fuzz program fail, kept in fuzz/regressions/<target>/, goes through
// the same code again; under tools/sanitize the sanitizers watch it as well.
#include "fuzz_targets.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Target = void (*)(const uint8_t*, size_t);

void replay(const QString& target, Target run)
{
    const QDir dir(QStringLiteral(KOVIRTA_FUZZ_REGRESSIONS_DIR "/") + target);
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(names.isEmpty()) << "no inputs in " << dir.path().toStdString();
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        try {
            run(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

} // namespace

TEST(FuzzRegressions, Catalogue)
{
    replay(QStringLiteral("catalogue"), kovirta::fuzz::loadCatalogue);
}
