// The lesson panel of the window: it sits beside (or under) the front without covering it, shows
// what the lesson words, and hands the Hint and answer clicks to the lesson.
#include "window/LessonPanel.h"
#include "QtTestMain.h"
#include "ScratchFolder.h"
#include "core/VirtualPlatform.h"
#include "unit/ControllerState.h"
#include "window/MainWindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

using namespace kv410;

namespace {

constexpr const char* PanelLesson = "lesson \"Panel check\"\n"
                                    "task \"Switch the unit on.\"\n"
                                    "hint \"The power switch is at the top.\"\n"
                                    "hint \"Click it once.\"\n"
                                    "await led on lit within 1m\n"
                                    "ask \"Which LED is lit?\" \"Alarm\" \"On\" answer \"On\"\n";

// Where a widget lies, in the window's coordinates.
QRect placeIn(const QWidget* window, const QWidget* widget) {
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

} // namespace

class LessonPanelTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScratchFolder> folder_;
    VirtualPlatform host_;
    std::ostringstream output_;
    std::unique_ptr<TMainFrm> window_;

    // The panel never covers the front, its side panels or the English strip, and the window
    // holds it whole.
    void checkPanelClear() {
        const QRect panel = placeIn(window_.get(), window_->LessonPane);
        QVERIFY(QRect(QPoint(0, 0), window_->size()).contains(panel));
        const QWidget* parts[] = {window_->Image1,       window_->Panel1,     window_->Panel2,
                                  window_->Panel3,       window_->GlossStrip, window_->PanelsButton,
                                  window_->EnglishButton};
        for (const QWidget* part : parts) {
            if (part->isVisible()) {
                QVERIFY2(!panel.intersects(placeIn(window_.get(), part)),
                         qPrintable(part->objectName()));
            }
        }
    }

private slots:
    void init() {
        folder_ = std::make_unique<ScratchFolder>("lesson-panel");
        folder_->enter();
        std::ofstream(folder_->file("panel.kvs")) << PanelLesson;
        resetControllerState();
        installPlatform(&host_);
        WindowOptions options;
        options.lessonPath = folder_->file("panel.kvs");
        options.output = &output_;
        window_ = std::make_unique<TMainFrm>(nullptr, options);
        QVERIFY(window_->lessonErrors().empty());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->Pacer->stop();
    }

    void cleanup() {
        window_.reset();
        installPlatform(nullptr);
        resetControllerState();
        folder_.reset();
    }

    void thePanelStaysClearOfTheFrontInEveryLayout() {
        QVERIFY(window_->LessonPane->isVisible());
        for (const bool panels : {false, true}) {
            for (const bool english : {false, true}) {
                window_->setPanelsShown(panels);
                window_->setEnglishShown(english);
                checkPanelClear();
            }
        }
        window_->setEnglishShown(false);
    }

    void hintsAndAnswersGoToTheLessonAndItsWordsAreShown() {
        LessonPanel* pane = window_->LessonPane;
        QCOMPARE(pane->TitleLabel->text(), QStringLiteral("Panel check"));
        QCOMPARE(pane->ProgressLabel->text(), QStringLiteral("Task 1 of 2"));
        QCOMPARE(pane->TaskLabel->text(), QStringLiteral("Switch the unit on."));
        QVERIFY(pane->HintButton->isEnabled());
        QCOMPARE(pane->HintButton->accessibleName(), QStringLiteral("Hint"));

        QTest::mouseClick(pane->HintButton, Qt::LeftButton);
        QVERIFY(
            pane->HintsLabel->text().contains(QStringLiteral("The power switch is at the top.")));
        QTest::mouseClick(pane->HintButton, Qt::LeftButton);
        QVERIFY(pane->HintsLabel->text().contains(QStringLiteral("Click it once.")));
        // Both hints taken: nothing left to ask for.
        QVERIFY(!pane->HintButton->isEnabled());

        // Painted only when the lesson changed: ticks that change nothing leave the panel as is.
        pane->TaskLabel->setText(QStringLiteral("untouched"));
        window_->runTicksNow(5);
        QCOMPARE(pane->TaskLabel->text(), QStringLiteral("untouched"));

        window_->Shape6->onMouseDown();
        window_->runTicksNow(60);
        QCOMPARE(pane->ProgressLabel->text(), QStringLiteral("Task 2 of 2"));
        QCOMPARE(pane->QuestionLabel->text(), QStringLiteral("Which LED is lit?"));
        QCOMPARE(pane->ChoiceButtons.size(), size_t(2));
        QCOMPARE(pane->ChoiceButtons[0]->accessibleName(), QStringLiteral("Alarm"));
        QVERIFY(!pane->ResultText->isVisible());

        QTest::mouseClick(pane->ChoiceButtons[0], Qt::LeftButton);
        QVERIFY(!pane->FeedbackLabel->text().isEmpty());
        QVERIFY(!window_->lesson()->finished());
        QTest::mouseClick(pane->ChoiceButtons[1], Qt::LeftButton);
        window_->runTicksNow(1);
        QVERIFY(window_->lesson()->finished());
        QCOMPARE(pane->ProgressLabel->text(), QStringLiteral("Finished"));
        QVERIFY(pane->ResultText->isVisible());
        const QString report = QString::fromStdString(window_->lesson()->report());
        QCOMPARE(pane->ResultText->toPlainText(), report);
        // A person's lesson prints its result once, at its end.
        QCOMPARE(QString::fromStdString(output_.str()), report);
        // Hints cost points: the task earned less than the most.
        QVERIFY(window_->lesson()->view().points < window_->lesson()->view().maxPoints);
    }

    void aRecordingWritesTheTraineesHintAndAnswer() {
        const std::string path = folder_->file("trainee.kvs");
        QVERIFY(window_->startRecording(path, false));
        QTest::mouseClick(window_->LessonPane->HintButton, Qt::LeftButton);
        window_->Shape6->onMouseDown();
        window_->runTicksNow(60);
        QTest::mouseClick(window_->LessonPane->ChoiceButtons.at(1), Qt::LeftButton);
        window_->stopRecording();
        std::ifstream file(path);
        const std::string text((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        QVERIFY2(text.find("\nhint\n") != std::string::npos, text.c_str());
        QVERIFY2(text.find("\nchoose \"On\"\n") != std::string::npos, text.c_str());
    }

    void aLessonThatCannotBeReadIsRefused() {
        std::ofstream(folder_->file("bad.kvs")) << "lesson \"Bad\"\nwiggle\n";
        WindowOptions options;
        options.lessonPath = folder_->file("bad.kvs");
        TMainFrm bad(nullptr, options);
        QCOMPARE(bad.lessonErrors().size(), size_t(1));
        QVERIFY(bad.lessonErrors()[0].find("bad.kvs:2") != std::string::npos);
        QVERIFY(bad.lesson() == nullptr);
        QVERIFY(bad.LessonPane == nullptr);
    }
};

KV410_QT_TEST(LessonPanelTest)

#include "LessonPanelTest.moc"
