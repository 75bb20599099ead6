// Telling a JSON body cut short from a whole one, or from one that goes on after its value, by shape alone.
#include "platform/http/JsonShape.h"

#include <gtest/gtest.h>

using namespace huddlepod;

TEST(JsonShape, aBodyEndsEarlyOnlyWhenItStopsInsideItsValue) {
    struct Case {
        const char* body;
        bool endsEarly;
    };
    const Case cases[] = {
        {R"([{"id":1},{"id":2}])", false},
        {" {\"a\":[1,{}]}\r\n", false}, // white space around it
        {R"([{"id":1},{"id")", true},
        {"", true},
        {" \n", true},
        // Escapes: a quote after a backslash stays inside the string, one after two backslashes ends it.
        {R"([{"height":"6' 2\"","name":"X"}])", false},
        {R"([{"height":"6' 2\"","name":"X"})", true},
        {R"([{"height":"6' 2\")", true},
        {R"(["\"\""])", false},
        {R"(["\"\"])", true},
        {R"(["C:\\"])", false},
        {R"(["C:\\\"])", true},
        // Brackets inside strings do not count.
        {R"(["]"])", false},
        {R"(["]")", true},
        {R"({"a":"}")", true},
        // Bytes after the value arrived with it: not a cut.
        {R"([{"id":1}] and more)", false},
        {R"("done" ")", false},
        {"null, null", false},
        // Bare scalars.
        {"true", false},
        {"tru", true},
        {"null", false},
        {R"("ab)", true},
        {"42", false},
        {"-1.5e", false}, // a number cannot tell
        // No JSON at all.
        {"<html>", false},
    };
    for (const Case& test : cases)
        EXPECT_EQ(JsonShape::endsEarly(QByteArray(test.body)), test.endsEarly) << test.body;
}
