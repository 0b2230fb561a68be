// The lesson panel beside the front: the lesson's title, the task under way with its "Hint"
// button and the hints taken, the question with a button per choice and what the last answer
// came to, the progress, and at the end the result. Everything it shows is worded by the lesson
// (scenario/Lesson.h); the panel only lays it out and hands the trainee's clicks on.
#pragma once

#include "scenario/Lesson.h"

#include <QFrame>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace kv410 {

// Width of the panel beside the front, and its height under the front on a narrow screen.
inline constexpr int LessonPanelWidth = 320;
inline constexpr int LessonPanelHeight = 260;

class LessonPanel : public QFrame {
    Q_OBJECT
public:
    explicit LessonPanel(QWidget* parent);

    // Shows the view of the lesson as it stands, with its report once it has finished.
    void showView(const LessonView& view, const std::string& report);

    // The trainee asks for a hint; picks a choice of the question under way.
    std::function<void()> onHint;
    std::function<void(const std::string& choice)> onChoose;

    QLabel* TitleLabel = nullptr;
    QLabel* ProgressLabel = nullptr;
    QLabel* TaskLabel = nullptr;
    QPushButton* HintButton = nullptr;
    QLabel* HintsLabel = nullptr;
    QLabel* QuestionLabel = nullptr;
    std::vector<QPushButton*> ChoiceButtons;
    QLabel* FeedbackLabel = nullptr;
    QPlainTextEdit* ResultText = nullptr;

private:
    QWidget* choices_ = nullptr;
    QVBoxLayout* choicesLayout_ = nullptr;
    std::vector<std::string> shownChoices_;
};

// "Task 2 of 5" while the lesson runs; "Finished" at its end.
QString lessonProgressText(const LessonView& view);

} // namespace kv410
