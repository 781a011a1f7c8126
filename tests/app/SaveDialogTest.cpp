#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <set>
#include <string>

#include "app/SaveDialog.h"
#include "tests/app/AppTestSupport.h"

namespace veskin {
namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Names of the files in a watched folder that were opened or read since the watch began.
std::set<std::string> OpenedFiles(int watch) {
    std::set<std::string> names;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t length = ::read(watch, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && !(event->mask & IN_ISDIR))
                names.insert(event->name);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return names;
}

// The real dialog, shown offscreen on a folder with a CSV file, files that only content
// sniffing could type (no known extension; the CSV filter hides them, yet the dialog's
// model still looks at them) and a FIFO, which blocks whoever opens it for reading. The
// dialog must list the folder without opening any of them; a timer closes it in any case,
// so a dialog that stopped listing fails here instead of waiting for ever.
TEST(SaveDialog, ListsAFolderWithoutReadingItsFiles) {
    veskin::testing::ResetState();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    WriteFile(folder.filePath("script"), "#!/bin/sh\necho hello\n");
    WriteFile(folder.filePath("document"), "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    WriteFile(folder.filePath("results.csv"), "Name\r\nbash\r\n");
    ASSERT_EQ(::mkfifo(folder.filePath("pipe").toLocal8Bit().constData(), 0600), 0);

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, folder.path().toLocal8Bit().constData(), IN_OPEN | IN_ACCESS), 0);

    TSaveDialogHook testHook = SetSaveDialogHook(nullptr);
    TSaveDialog dialog;
    dialog.FileName = folder.filePath("out.csv").toStdString();

    std::set<std::string> listed;
    qint64 listedAt = -1;
    constexpr qint64 settle = 500, limit = 15000;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (auto* model = box->findChild<QFileSystemModel*>()) {
            const QModelIndex parent = model->index(folder.path());
            listed.clear();
            for (int row = 0; row < model->rowCount(parent); ++row)
                listed.insert(model->index(row, 0, parent).data().toString().toStdString());
        }
        // Once listed, a moment more lets the model finish typing every entry.
        if (listedAt < 0 && listed.count("results.csv"))
            listedAt = clock.elapsed();
        if ((listedAt >= 0 && clock.elapsed() - listedAt > settle) || clock.elapsed() > limit)
            box->reject();
    });
    poll.start(50);
    const bool chosen = dialog.Execute();
    poll.stop();
    SetSaveDialogHook(std::move(testHook));

    EXPECT_FALSE(chosen);
    EXPECT_LT(clock.elapsed(), limit);
    EXPECT_EQ(listed, std::set<std::string>{"results.csv"});
    EXPECT_EQ(OpenedFiles(watch), std::set<std::string>{});
    ::close(watch);
}

}  // namespace
}  // namespace veskin
