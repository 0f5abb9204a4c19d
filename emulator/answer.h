// Answers in the layout SAT libraries use: fields separated by "|", the
// session number, the five-digit code, the message, the SEFAZ code and message,
// then the operation's data. Some functions carry a four-digit alert code right
// after the answer code.
#ifndef SATEMU_ANSWER_H
#define SATEMU_ANSWER_H

#include <optional>
#include <string>
#include <vector>

namespace satemu {

enum class Layout { Ordinary, WithAlert };

struct Answer {
    std::string code; // five digits
    std::string message;
    std::string alert = "0000";
    std::string sefazCode, sefazMessage;
    std::vector<std::string> data;
    std::optional<std::string> verbatim; // a stored answer handed back as it is
};

// The message of a code, or empty when the emulator does not know it.
std::string standardMessage(const std::string& code);
// An answer with the code made of the function's class and `detail`, and its
// standard message, followed by ": " and `extra` when extra is not empty.
Answer makeAnswer(int functionClass, int detail, const std::string& extra = {});
std::string sessionText(int session);
std::string formatAnswer(int session, Layout layout, const Answer& a);

} // namespace satemu

#endif
