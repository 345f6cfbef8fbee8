#include "app/password_rules.h"

#include "app/messages.h"
#include "app/text.h"

namespace app {

std::string PasswordPlan::draw(platform::RandomSource& random) const {
    return classes.empty() ? draw_password(points, length, random)
                           : draw_with_every_class(points, classes, length, random);
}

namespace {

const char* empty_pool_message(const PasswordRules& rules, const platform::TextEncoding& encoding) {
    PoolOptions kept = rules.pool;
    kept.exclude.clear();
    const std::string list = rules.custom_list.value_or("");
    if (!character_pool(kept, list, encoding).empty()) {
        return kExcludedAll;
    }
    const bool all_look_alike = !rules.pool.from_classes && rules.custom_list &&
                                rules.pool.no_look_alikes && !custom_pool(list, encoding).empty();
    return all_look_alike ? kOnlyLookAlikes : kSelectChars;
}

}  // namespace

PasswordPlan PasswordRules::validate(const platform::TextEncoding& encoding) const {
    PasswordPlan plan;
    const bool any_pool = pool.from_classes || custom_list;
    plan.pool = any_pool ? character_pool(pool, custom_list.value_or(""), encoding) : "";
    if (plan.pool.empty()) {
        plan.problem = PasswordPlan::EmptyPool;
        plan.message = any_pool ? empty_pool_message(*this, encoding) : kSelectChars;
        return plan;
    }
    const LengthCheck length_check = check_length(length);
    if (length_check.result != LengthCheck::Valid) {
        const bool short_one = length_check.result == LengthCheck::BelowMinimum;
        plan.problem = short_one ? PasswordPlan::TooShort : PasswordPlan::TooLong;
        plan.message = short_one ? kTooShort : kTooLong;
        return plan;
    }
    plan.length = length_check.length;
    plan.points = code_points(plan.pool);
    if (pool.every_class) {
        plan.classes = chosen_classes(pool);
    }
    if (plan.classes.size() > static_cast<std::size_t>(plan.length)) {
        plan.problem = PasswordPlan::ShortForEveryClass;
        plan.message = too_short_for_every_class(plan.classes.size());
    }
    return plan;
}

}  // namespace app
