#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace tavrik::ui {

/// Window geometry is given in twips (1/1440 inch); 15 twips make one logical
/// pixel at 96 dpi, and Qt scales logical pixels on high-density screens.
inline constexpr int kTwipsPerPixel = 15;
[[nodiscard]] int TwipsToPixels(double twips);

/// The application's title: the window's title bar and every message box.
inline constexpr char kAppTitle[] = "VEL_TAVRIK_DovI";

/// The main window's controls, laid out at their fixed places, and the language of
/// their captions. Behaviour (start-up, commands, input rules) lives in the
/// application's FrmMain, which derives from this form.
///
/// Control arrays keep their indices: Text1[4] is the multi-line description box,
/// every other Text1 member is a single-line QLineEdit. Each control's objectName is
/// its name, with "_<index>" for array members ("Text1_12", "Command1").
class FrmMainForm : public QWidget {
    Q_OBJECT

public:
    explicit FrmMainForm(QWidget* parent = nullptr);
    ~FrmMainForm() override;

    std::array<QWidget*, 14> Text1{};
    std::array<QLabel*, 15> Label1{};
    std::array<QComboBox*, 2> Combo1{};
    std::array<QLineEdit*, 2> Text2{};
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* Combo2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check8 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame4 = nullptr;

    /// Text1(index) as a single-line box; nullptr for the multi-line Text1(4).
    [[nodiscard]] QLineEdit* Text1Line(int index) const;
    [[nodiscard]] QPlainTextEdit* Text1Multi() const { return m_description; }
    [[nodiscard]] QString Text1Text(int index) const;
    void SetText1Text(int index, const QString& text);

    /// Chooses the language from the system default locale identifier (0x0804 gives
    /// Chinese, anything else English), sets every caption, aligns the field labels
    /// to their boxes and fills the band-change prompt. Returns LanguageFlag.
    qint16 ApplyLanguage(std::uint32_t systemLcid);
    /// 0 before ApplyLanguage, then 1 English or 2 Chinese.
    [[nodiscard]] qint16 LanguageFlag() const { return m_languageFlag; }
    /// The band question; entry 0 empty, 1 English, 2 Chinese.
    [[nodiscard]] const std::array<QString, 3>& BandChangePrompt() const {
        return m_bandChangePrompt;
    }

    /// A control's geometry in twips within its container, as laid out (and, for
    /// the aligned labels, as moved by ApplyLanguage).
    [[nodiscard]] static QRect twipsGeometry(const QWidget* control);

    /// Shows or hides the multi-write panel and puts its controls into the focus
    /// chain in their places.
    void setMulWritePanelVisible(bool visible);

    /// Moves the focus on as a Tab key press would.
    void focusNextField();

    /// Fits the window into a screen's available area and places it there, centred. A
    /// window that fits keeps its fixed size; a smaller one scrolls its controls.
    void fitInto(const QRect& available);

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void buildControls();
    void applyTabOrder();
    void setCaptions(bool chinese);
    void alignLabels();
    void sizeLabelToCaption(QLabel* label);

    QPlainTextEdit* m_description = nullptr;
    QWidget* m_client = nullptr;
    QScrollArea* m_scroll = nullptr;
    qint16 m_languageFlag = 0;
    bool m_placed = false;
    bool m_frameKnown = false;  // the window system has told the frame's size
    bool m_panelStyled = false; // the panel's style sheet is set on its first showing
    std::array<QString, 3> m_bandChangePrompt{};
};

} // namespace tavrik::ui
