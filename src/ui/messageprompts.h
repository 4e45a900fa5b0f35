#pragma once
#include <functional>

#include <QWidget>

#include "base/prompts.h"

namespace nimbrel {

/// Prompts shown as modal message boxes over a parent window.
class MessagePrompts : public Prompts {
public:
    explicit MessagePrompts(QWidget* parent) : parent_(parent) {}
    void Information(const QString& text) override;
    void Warning(const QString& text) override;
    bool Confirm(const QString& text) override;
    void ProcessEvents() override;

private:
    QWidget* parent_;
};

} // namespace nimbrel
