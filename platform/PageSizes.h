#pragma once

#include <string>
#include <string_view>

// The standard paper sizes by the names people type: "A4", "Letter", "Legal", "A3" and the rest of
// the platform's list, compared without case.
class PageSizes {
public:
    static constexpr int kNotFound = -1;

    // The platform's identifier of the named size, or kNotFound.
    static int Find(std::string_view name);
    static int Default(); // A4
    // The common names, for messages: "A4, A3, A5, Letter, Legal, ...".
    static std::string CommonNames();
};
