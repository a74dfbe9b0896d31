// The one format of every line the park prints on stderr.
#include "formats/loadreport.h"

#include <cstdarg>
#include <cstdio>

std::string loadFailureLine(const char* fileName, const std::string& what, const char* instead)
{
    std::string line = std::string(fileName ? fileName : "(no file name)") + ": " + what;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\n'))
    {
        line.pop_back();
    }
    if (instead && instead[0] != '\0')
    {
        if (!line.empty() && line.back() == '.')
        {
            line.pop_back();
        }
        line += "; ";
        line += instead;
    }
    return line;
}

void reportLoadFailure(const char* fileName, const std::string& what, const char* instead)
{
    std::fprintf(stderr, "%s\n", loadFailureLine(fileName, what, instead).c_str());
    std::fflush(stderr);
}

void reportProblem(const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    std::fprintf(stderr, "quillmere: %s\n", text);
    std::fflush(stderr);
}

bool refuse(std::string& problem, const char* format, ...)
{
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    problem = text;
    return false;
}
