#pragma once
// An SQLite call failed; the message is SQLite's own, for instance
// "CHECK constraint failed: title".

#include <stdexcept>

class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
