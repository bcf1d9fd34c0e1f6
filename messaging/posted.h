#pragma once

#include <QString>

// What became of a message to send: it left, or why it did not.
enum class Posted {
    Sent,
    NoRecipient, // nobody named
    NoText,
    NotListed, // a name typed by hand: no address
    TooLong,   // more than one datagram
    Refused,   // the system would not send it
    Declined,  // the user said no when asked
};

// What the user is told of it: empty when it left or the user declined.
QString refusalText(Posted posted);
