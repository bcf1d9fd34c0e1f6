#pragma once

#include "wire.h"

#include <QString>

// A part that waits for peers' answers to messages it sent: it takes an
// answer that is its own before the answer shows in a result window.
class AnswerTaker
{
public:
    virtual ~AnswerTaker() = default;
    // A peer's answer, from source; false when it is not one this part waits for.
    virtual bool delivered(const QString &source) = 0;
    virtual bool refused(const QString &source) = 0;
    virtual bool answered(wire::Kind kind, const QString &source, int row) = 0;
};
