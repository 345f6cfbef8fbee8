#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/generator.h"
#include "platform/random_source.h"
#include "platform/text_encoding.h"

namespace app {

// A request that can be drawn, or why it cannot.
struct PasswordPlan {
    enum Problem { Drawable, EmptyPool, TooShort, TooLong, ShortForEveryClass };
    Problem problem = Drawable;
    std::string message;               // the refusal; empty when drawable
    std::string pool;                  // the characters drawn from, in order
    std::vector<std::string> points;   // the same, one code point each
    std::vector<std::string> classes;  // each at least once; empty when not asked
    int length = 0;

    bool drawable() const { return problem == Drawable; }
    // A password by the plan, uniform over those it allows.
    std::string draw(platform::RandomSource& random) const;
};

// What a password is asked to be, as the window's controls or the command line's options hold it.
struct PasswordRules {
    PoolOptions pool;
    // The user's own list, when the pool is to come from it; none with the classes, and none
    // when neither way is chosen, which leaves the pool empty.
    std::optional<std::string> custom_list;
    std::string length = "8";  // as typed into the length box

    // Checks, in this order, that the pool holds a character, that the length lies within 1 to
    // 50, and that it can hold one of each class when every class is asked for.
    PasswordPlan validate(const platform::TextEncoding& encoding) const;
};

}  // namespace app
