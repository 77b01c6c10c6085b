#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/qt/xlsx_spreadsheet.h"

namespace qt = wordloom::platform::qt;

namespace {

constexpr char Python[] = "/usr/bin/python3";

// Reads a workbook with openpyxl, independently of libxlsxwriter: every cell as
// [coordinate, openpyxl data type, value] and the width of every column given one.
constexpr char ReaderScript[] = R"(
import json, sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).active
cells = [[c.coordinate, c.data_type, c.value] for row in sheet.iter_rows() for c in row
         if c.value is not None]
widths = {k: d.width for k, d in sheet.column_dimensions.items() if d.customWidth}
print(json.dumps({"cells": cells, "widths": widths}))
)";

bool haveReader() {
    return QProcess::execute(QString::fromLatin1(Python),
                             {QStringLiteral("-c"), QStringLiteral("import openpyxl")}) == 0;
}

QJsonObject readWorkbook(const QString& file) {
    QProcess reader;
    reader.start(QString::fromLatin1(Python),
                 {QStringLiteral("-c"), QString::fromLatin1(ReaderScript), file});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0) {
        ADD_FAILURE() << "openpyxl could not read the workbook: "
                      << reader.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

class XlsxSpreadsheetTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_root.isValid()); }

    QString folder() const { return m_root.filePath(QStringLiteral("Workbooks")); }
    qt::XlsxSpreadsheetService service() {
        return qt::XlsxSpreadsheetService(folder(), qt::SpreadsheetProbe{},
                                          [this](const QString& file) {
                                              m_opened.append(file);
                                              return m_openerSucceeds;
                                          });
    }

    QTemporaryDir m_root;
    QStringList m_opened;
    bool m_openerSucceeds = true;
};

}  // namespace

TEST_F(XlsxSpreadsheetTest, WritesEveryCellAsTextAndFitsColumnsToTheLongestText) {
    if (!haveReader()) {
        GTEST_SKIP() << "python3 with openpyxl is needed to read the workbook back";
    }
    auto session = service().start();
    session->addWorkbook();
    const std::u16string longText(40, u'w');
    session->setCell(1, 1, u"Unscramble Letters");
    session->setCell(1, 2, u"Second");
    session->setCell(2, 1, u"cat");
    session->setCell(4, 1, u"=SUM(A1:A2)");  // row 3 left out, like an unticked row
    session->setCell(4, 2, u"");
    session->setCell(5, 1, longText);
    session->setCell(5, 2, u"caf\u00e9");
    session->setCell(5, 4, std::u16string(400, u'x'));  // wider than a column can be
    session->autoFitColumns();
    session->show();

    ASSERT_EQ(m_opened.size(), 1);
    const QString file = m_opened[0];
    EXPECT_EQ(QFileInfo(file).absolutePath(), folder());
    EXPECT_TRUE(QFileInfo(file).fileName().startsWith(QStringLiteral("Wordloom Results ")));
    EXPECT_TRUE(file.endsWith(QStringLiteral(".xlsx")));

    const QJsonObject book = readWorkbook(file);
    const QJsonArray expected{
        QJsonArray{"A1", "s", "Unscramble Letters"},
        QJsonArray{"B1", "s", "Second"},
        QJsonArray{"A2", "s", "cat"},
        QJsonArray{"A4", "s", "=SUM(A1:A2)"},
        QJsonArray{"A5", "s", QString(40, QLatin1Char('w'))},
        QJsonArray{"B5", "s", "caf\u00e9"},
        QJsonArray{"D5", "s", QString(400, QLatin1Char('x'))},
    };
    const auto json = [](const QJsonArray& cells) {
        return QJsonDocument(cells).toJson(QJsonDocument::Compact).toStdString();
    };
    EXPECT_EQ(json(book.value("cells").toArray()), json(expected));

    // Widths are text length + 1, at most 255, plus the few hundredths the file format adds for
    // padding.
    const QJsonObject widths = book.value("widths").toObject();
    EXPECT_NEAR(widths.value("A").toDouble(), 41.7, 0.3);
    EXPECT_NEAR(widths.value("B").toDouble(), 7.7, 0.3);
    EXPECT_NEAR(widths.value("D").toDouble(), 255.7, 0.3);
    EXPECT_EQ(widths.size(), 3);  // column C got no text and keeps the default width
}

TEST_F(XlsxSpreadsheetTest, SessionsStartedTogetherGetTheirOwnFiles) {
    auto first = service().start();
    auto second = service().start();
    first->addWorkbook();
    second->addWorkbook();
    first->show();
    second->show();
    ASSERT_EQ(m_opened.size(), 2);
    EXPECT_NE(m_opened[0], m_opened[1]);
    EXPECT_TRUE(QFile::exists(m_opened[0]));
    EXPECT_TRUE(QFile::exists(m_opened[1]));
}

TEST_F(XlsxSpreadsheetTest, SessionEndedBeforeShowLeavesNoFile) {
    {
        auto session = service().start();
        session->addWorkbook();
        session->setCell(1, 1, u"word");
    }
    EXPECT_TRUE(QDir(folder()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(m_opened.isEmpty());
}

TEST_F(XlsxSpreadsheetTest, ExitRemovesUnfinishedWorkbooksAndKeepsShownOnes) {
    auto shown = service().start();
    shown->addWorkbook();
    shown->setCell(1, 1, u"kept");
    shown->show();
    auto unfinished = service().start();
    unfinished->addWorkbook();
    unfinished->setCell(1, 1, u"word");
    auto notStarted = service().start();

    // What the window's close runs before it ends the process without unwinding.
    qt::XlsxSpreadsheet::removeUnfinishedWorkbooks();

    EXPECT_EQ(QDir(folder()).entryList(QDir::Files),
              QStringList{QFileInfo(m_opened[0]).fileName()});
    EXPECT_GT(QFileInfo(m_opened[0]).size(), 0);
}

TEST_F(XlsxSpreadsheetTest, RefusedCellsAndMissingWorkbookThrowUserMessages) {
    auto session = service().start();
    EXPECT_THROW(session->setCell(1, 1, u"early"), std::runtime_error);
    session->addWorkbook();
    try {
        session->setCell(1, 1, std::u16string(32768, u'a'));
        FAIL() << "an over-long cell was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(),
                     "The text for row 1, column 1 is longer than the 32,767 "
                     "characters a worksheet cell holds.");
    }
    EXPECT_THROW(session->setCell(0, 1, u"x"), std::runtime_error);
    EXPECT_THROW(session->setCell(1048577, 1, u"x"), std::runtime_error);
    EXPECT_THROW(session->setCell(1, 16385, u"x"), std::runtime_error);
    session->setCell(1048576, 16384, u"last cell");
    session->show();
    EXPECT_THROW(session->setCell(1, 1, u"after show"), std::runtime_error);
}

TEST_F(XlsxSpreadsheetTest, FailedHandOverKeepsTheFileAndNamesIt) {
    m_openerSucceeds = false;
    auto session = service().start();
    session->addWorkbook();
    session->setCell(1, 1, u"word");
    try {
        session->show();
        FAIL() << "a workbook nobody opened was reported as shown";
    } catch (const std::runtime_error& error) {
        ASSERT_EQ(m_opened.size(), 1);
        EXPECT_EQ(std::string(error.what()),
                  "The workbook was saved as '" + m_opened[0].toStdString() +
                      "', but no spreadsheet application opened it. Open that file with your "
                      "spreadsheet application.");
    }
    EXPECT_GT(QFileInfo(m_opened.value(0)).size(), 0);
}

TEST_F(XlsxSpreadsheetTest, UnwritableFolderFailsWhenTheWorkbookIsAdded) {
    QFile blocker(folder());  // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto session = service().start();
    try {
        session->addWorkbook();
        FAIL() << "a workbook was started in a folder that cannot exist";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create the folder '" + folder().toStdString() +
                      "' for the workbook. Check that it can be written to.");
    }
}

TEST_F(XlsxSpreadsheetTest, AvailabilityFollowsTheProbeAndNeverThrows) {
    const QString bin = m_root.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    qt::SpreadsheetProbe probe;
    probe.searchPath = {bin};
    probe.defaultHandler = [](const QString&) -> QString { throw std::runtime_error("broken"); };
    qt::XlsxSpreadsheetService broken(folder(), probe, [](const QString&) { return true; });
    EXPECT_FALSE(broken.isAvailable());

    probe.defaultHandler = nullptr;
    QFile program(bin + QStringLiteral("/soffice"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    qt::XlsxSpreadsheetService present(folder(), probe, [](const QString&) { return true; });
    EXPECT_TRUE(present.isAvailable());
}
