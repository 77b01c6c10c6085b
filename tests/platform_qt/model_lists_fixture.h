#pragma once

// What the list tests share: a small dictionary and the main window's two lists on their views.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "engine/dictionary.h"
#include "platform/qt/form1_widget.h"
#include "platform/qt/qt_list_views.h"
#include "qt_test_application.h"

namespace qt = wordloom::platform::qt;
using wordloom::platform::ListIndexError;

namespace lists_test {

inline std::shared_ptr<const wordloom::engine::Dictionary> testDictionary() {
    static const auto dictionary = [] {
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("words.dic")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("wireless\nrecap\ntatu\napt\nlews\n");
        file.close();
        return wordloom::engine::loadDictionary(file.fileName().toStdString());
    }();
    return dictionary;
}

struct ApplicationFirst {
    ApplicationFirst() { qt_test::application(); }
};

struct Lists : ApplicationFirst {
    qt::Form1Widget form;
    qt::QtListView letters{form.listView1(), form.letterSets()};
    qt::QtResultListView results{form.listView2(), form.results()};
};

}  // namespace lists_test

using namespace lists_test;
