#pragma once
// The multi-line query text box. Its text is exchanged as 8-bit text whose line
// breaks are CR LF; Enter always stays in the box (it never presses the window's
// default button), read-only or not.
#include <QPlainTextEdit>
#include <string>

namespace veskin {

class TMemo : public QPlainTextEdit {
public:
    explicit TMemo(QWidget* parent);

    // The whole text, line breaks as CR LF.
    std::string Text() const;
    // Replaces the whole text; CR, LF and CR LF all count as one line break.
    void SetText(const std::string& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Every line break (CR, LF or CR LF) as CR LF.
std::string NormaliseLineBreaks(const std::string& text);

}  // namespace veskin
