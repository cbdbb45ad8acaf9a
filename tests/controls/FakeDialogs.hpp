#pragma once
// Dialogs that a test answers: each request takes the next answer in turn, and a request with no
// answer left is cancelled. Message boxes are recorded instead of shown.

#include "IDialogs.hpp"

#include <deque>
#include <functional>
#include <vector>

namespace quorvane::testing {

struct FakeDialogs : IDialogs {
    struct Box {
        QString kind, title, text;
    };
    // An invalid colour or an empty path in the queue cancels that request.
    std::deque<QColor> colourAnswers;
    std::deque<QString> fileAnswers;
    std::vector<QColor> colourRequests;
    std::vector<QString> fileRequests;
    std::vector<Box> boxes;
    // Runs inside each dialog, while it would be open.
    std::function<void()> whileOpen;

    std::optional<QColor> ChooseColour(QWidget*, const QColor& initial) override {
        colourRequests.push_back(initial);
        Open();
        if (colourAnswers.empty())
            return std::nullopt;
        const QColor answer = colourAnswers.front();
        colourAnswers.pop_front();
        if (!answer.isValid())
            return std::nullopt;
        return answer;
    }
    std::optional<QString> OpenFileName(QWidget*, const QString& fileName) override {
        fileRequests.push_back(fileName);
        Open();
        if (fileAnswers.empty())
            return std::nullopt;
        const QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }
    void Information(QWidget*, const QString& title, const QString& text) override {
        boxes.push_back({QStringLiteral("information"), title, text});
        Open();
    }
    void Warning(QWidget*, const QString& title, const QString& text) override {
        boxes.push_back({QStringLiteral("warning"), title, text});
        Open();
    }
    void Error(QWidget*, const QString& title, const QString& text) override {
        boxes.push_back({QStringLiteral("error"), title, text});
        Open();
    }

private:
    void Open() {
        if (whileOpen)
            whileOpen();
    }
};

} // namespace quorvane::testing
