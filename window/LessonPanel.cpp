#include "window/LessonPanel.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kv410 {

namespace {

QString utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QLabel* wrappedLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

QString lessonProgressText(const LessonView& view) {
    if (view.finished) {
        return QStringLiteral("Finished");
    }
    const int current = std::min(view.itemsEnded + 1, std::max(view.itemsTotal, 1));
    return QStringLiteral("Task %1 of %2").arg(current).arg(view.itemsTotal);
}

LessonPanel::LessonPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("LessonPanel"));
    setAccessibleName(QStringLiteral("Lesson"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(244, 246, 250));
    palette.setColor(QPalette::WindowText, QColor(24, 32, 48));
    setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(6);

    TitleLabel = wrappedLabel(this, "LessonTitle");
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setPixelSize(15);
    TitleLabel->setFont(titleFont);
    ProgressLabel = wrappedLabel(this, "LessonProgress");
    ProgressLabel->setAccessibleName(QStringLiteral("Progress"));
    TaskLabel = wrappedLabel(this, "LessonTask");
    TaskLabel->setAccessibleName(QStringLiteral("Task"));
    QFont taskFont = font();
    taskFont.setPixelSize(14);
    TaskLabel->setFont(taskFont);

    HintButton = new QPushButton(QStringLiteral("Hint"), this);
    HintButton->setObjectName(QStringLiteral("LessonHint"));
    HintButton->setAccessibleName(QStringLiteral("Hint"));
    HintButton->setToolTip(QStringLiteral("Show the next hint of this task (it costs points)"));
    HintButton->setFocusPolicy(Qt::NoFocus);
    connect(HintButton, &QPushButton::clicked, this, [this] {
        if (onHint) {
            onHint();
        }
    });
    HintsLabel = wrappedLabel(this, "LessonHints");
    HintsLabel->setAccessibleName(QStringLiteral("Hints taken"));

    QuestionLabel = wrappedLabel(this, "LessonQuestion");
    QuestionLabel->setAccessibleName(QStringLiteral("Question"));
    QuestionLabel->setFont(taskFont);
    choices_ = new QWidget(this);
    choices_->setObjectName(QStringLiteral("LessonChoices"));
    choicesLayout_ = new QVBoxLayout(choices_);
    choicesLayout_->setContentsMargins(0, 0, 0, 0);
    choicesLayout_->setSpacing(4);
    FeedbackLabel = wrappedLabel(this, "LessonFeedback");
    FeedbackLabel->setAccessibleName(QStringLiteral("Answer"));

    ResultText = new QPlainTextEdit(this);
    ResultText->setObjectName(QStringLiteral("LessonResult"));
    ResultText->setAccessibleName(QStringLiteral("Result"));
    ResultText->setReadOnly(true);
    ResultText->setFocusPolicy(Qt::NoFocus);
    ResultText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ResultText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ResultText->hide();

    layout->addWidget(TitleLabel);
    layout->addWidget(ProgressLabel);
    layout->addWidget(TaskLabel);
    layout->addWidget(HintButton, 0, Qt::AlignLeft);
    layout->addWidget(HintsLabel);
    layout->addWidget(QuestionLabel);
    layout->addWidget(choices_);
    layout->addWidget(FeedbackLabel);
    layout->addWidget(ResultText, 1);
    layout->addStretch(0);
}

void LessonPanel::showView(const LessonView& view, const std::string& report) {
    TitleLabel->setText(utf8(view.title));
    ProgressLabel->setText(lessonProgressText(view));
    TaskLabel->setText(utf8(view.task));
    TaskLabel->setVisible(!view.task.empty());
    HintButton->setVisible(!view.finished);
    HintButton->setEnabled(view.hintAvailable && !view.finished);
    QStringList hints;
    for (size_t n = 0; n < view.hints.size(); ++n) {
        hints << QStringLiteral("Hint %1: %2").arg(n + 1).arg(utf8(view.hints[n]));
    }
    HintsLabel->setText(hints.join(QLatin1Char('\n')));
    HintsLabel->setVisible(!hints.isEmpty());

    QuestionLabel->setText(utf8(view.question));
    QuestionLabel->setVisible(!view.question.empty());
    if (view.choices != shownChoices_) {
        for (QPushButton* button : ChoiceButtons) {
            button->deleteLater();
        }
        ChoiceButtons.clear();
        for (const std::string& choice : view.choices) {
            auto* button = new QPushButton(utf8(choice), choices_);
            button->setObjectName(QStringLiteral("LessonChoice%1").arg(ChoiceButtons.size() + 1));
            button->setAccessibleName(utf8(choice));
            button->setFocusPolicy(Qt::NoFocus);
            connect(button, &QPushButton::clicked, this, [this, choice] {
                if (onChoose) {
                    onChoose(choice);
                }
            });
            choicesLayout_->addWidget(button);
            ChoiceButtons.push_back(button);
        }
        shownChoices_ = view.choices;
    }
    choices_->setVisible(!view.choices.empty());
    FeedbackLabel->setText(utf8(view.answerFeedback));
    FeedbackLabel->setVisible(!view.answerFeedback.empty() && !view.finished);

    ResultText->setVisible(view.finished);
    if (view.finished) {
        ResultText->setPlainText(utf8(report));
    }
}

} // namespace kv410
