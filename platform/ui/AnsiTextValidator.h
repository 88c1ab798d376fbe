#pragma once

#include <QValidator>

namespace orvel {

// Accepts only text that Windows-1252 can hold, so that what the user types
// is what the table compares and stores: a character outside it cannot be
// typed or pasted.
class AnsiTextValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

} // namespace orvel
