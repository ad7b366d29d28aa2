// The wizard's resources as the built setup.exe carries them: the page
// templates against their control tables and the release notes' format.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::wstring g_setupExe;

enum Kind { kEdit, kPush, kCheck, kRadio, kGroupBox, kText, kCenteredText, kBitmap, kListView, kProgress };

struct ExpectedControl {
    int id;
    Kind kind;
    bool tabStop;
    DWORD extraStyle;   // bits that must be set besides the kind's own
    const wchar_t* text;  // nullptr: not checked
    bool hidden = false;  // created without WS_VISIBLE
};

struct Control {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;
    std::wstring text;
    int textOrdinal = -1;
};

struct Dialog {
    DWORD style = 0;
    short cx = 0, cy = 0;
    WORD pointSize = 0;
    std::wstring face;
    std::wstring caption;
    std::vector<Control> controls;
};

// Reads the DLGTEMPLATEEX layout, every field bounds-checked.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }
    WORD Word() {
        WORD value = 0;
        Read(&value, sizeof(value));
        return value;
    }
    DWORD Dword() {
        DWORD value = 0;
        Read(&value, sizeof(value));
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    std::wstring String() {
        std::wstring text;
        for (WORD c = Word(); m_ok && c != 0; c = Word()) text += static_cast<wchar_t>(c);
        return text;
    }
    // A string or, after 0xFFFF, an ordinal (returned in ordinal).
    std::wstring StringOrOrdinal(int* ordinal) {
        const size_t start = m_pos;
        const WORD first = Word();
        if (first == 0xFFFF) {
            *ordinal = Word();
            return std::wstring();
        }
        *ordinal = -1;
        m_pos = start;
        return String();
    }
    void Align(size_t to) { m_pos = (m_pos + to - 1) / to * to; }
    void Skip(size_t bytes) {
        if (m_pos + bytes > m_size) m_ok = false;
        m_pos += bytes;
    }

private:
    void Read(void* out, size_t bytes) {
        if (!m_ok || m_pos + bytes > m_size) {
            m_ok = false;
            return;
        }
        std::memcpy(out, m_data + m_pos, bytes);
        m_pos += bytes;
    }
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

class SetupResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = LoadLibraryExW(g_setupExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (s_module) FreeLibrary(s_module);
        s_module = nullptr;
    }
    void SetUp() override { ASSERT_NE(s_module, nullptr) << "cannot load the setup's resources"; }

    static std::string Bytes(const wchar_t* type, int id) {
        HRSRC found = FindResourceW(s_module, MAKEINTRESOURCEW(id), type);
        if (!found) return std::string();
        HGLOBAL loaded = LoadResource(s_module, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) return std::string();
        return std::string(static_cast<const char*>(data), SizeofResource(s_module, found));
    }

    static Dialog LoadDialog(int id) {
        Dialog dialog;
        const std::string bytes = Bytes(RT_DIALOG, id);
        TemplateReader in(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
        EXPECT_EQ(in.Word(), 1) << "dialog " << id << " is an extended template";
        EXPECT_EQ(in.Word(), 0xFFFF);
        in.Dword();  // help id
        in.Dword();  // extended style
        dialog.style = in.Dword();
        const WORD count = in.Word();
        in.Short();
        in.Short();
        dialog.cx = in.Short();
        dialog.cy = in.Short();
        int ordinal = -1;
        in.StringOrOrdinal(&ordinal);  // menu
        in.StringOrOrdinal(&ordinal);  // class
        dialog.caption = in.String();
        if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
            dialog.pointSize = in.Word();
            in.Word();  // weight
            in.Skip(2); // italic, charset
            dialog.face = in.String();
        }
        for (WORD i = 0; i < count && in.ok(); ++i) {
            in.Align(4);
            Control control;
            in.Dword();  // help id
            in.Dword();  // extended style
            control.style = in.Dword();
            control.x = in.Short();
            control.y = in.Short();
            control.cx = in.Short();
            control.cy = in.Short();
            const DWORD rawId = in.Dword();
            control.id = (rawId == 0xFFFF || rawId == 0xFFFFFFFF) ? -1 : static_cast<int>(rawId);
            int classOrdinal = -1;
            control.className = in.StringOrOrdinal(&classOrdinal);
            if (classOrdinal == 0x80) control.className = L"Button";
            if (classOrdinal == 0x81) control.className = L"Edit";
            if (classOrdinal == 0x82) control.className = L"Static";
            control.text = in.StringOrOrdinal(&control.textOrdinal);
            in.Skip(in.Word());  // creation data
            dialog.controls.push_back(control);
        }
        EXPECT_TRUE(in.ok()) << "dialog " << id << " is cut short";
        return dialog;
    }

    static void ExpectPage(const Dialog& dialog) {
        EXPECT_EQ(dialog.cx, 300);
        EXPECT_EQ(dialog.cy, 222);
        EXPECT_EQ(dialog.pointSize, 8);
        EXPECT_EQ(dialog.face, L"Microsoft Sans Serif");
        EXPECT_EQ(dialog.caption, L"") << "pages have no caption of their own";
        EXPECT_TRUE(dialog.style & WS_CHILD);
        EXPECT_FALSE(dialog.style & WS_CAPTION);
    }

    static void ExpectControls(const Dialog& dialog, const std::vector<ExpectedControl>& table) {
        ASSERT_EQ(dialog.controls.size(), table.size());
        for (size_t i = 0; i < table.size(); ++i) {
            const ExpectedControl& want = table[i];
            const Control& have = dialog.controls[i];
            SCOPED_TRACE(testing::Message() << "tab position " << i << ", id " << want.id);
            EXPECT_EQ(have.id, want.id);
            if (want.text) {
                EXPECT_EQ(have.text, want.text);
            }
            EXPECT_EQ((have.style & WS_TABSTOP) != 0, want.tabStop);
            EXPECT_EQ(have.style & want.extraStyle, want.extraStyle);
            EXPECT_EQ((have.style & WS_VISIBLE) == 0, want.hidden);
            const DWORD type = have.style & 0x1F;
            switch (want.kind) {
            case kEdit:
                EXPECT_EQ(lstrcmpiW(have.className.c_str(), L"Edit"), 0);
                EXPECT_TRUE(have.style & WS_BORDER);
                break;
            case kPush:
                EXPECT_EQ(lstrcmpiW(have.className.c_str(), L"Button"), 0);
                EXPECT_EQ(type & 0xF, static_cast<DWORD>(BS_PUSHBUTTON));
                break;
            case kCheck:
                EXPECT_EQ(lstrcmpiW(have.className.c_str(), L"Button"), 0);
                EXPECT_EQ(type & 0xF, static_cast<DWORD>(BS_AUTOCHECKBOX));
                break;
            case kRadio:
                EXPECT_EQ(lstrcmpiW(have.className.c_str(), L"Button"), 0);
                EXPECT_EQ(type & 0xF, static_cast<DWORD>(BS_AUTORADIOBUTTON));
                break;
            case kGroupBox:
                EXPECT_EQ(lstrcmpiW(have.className.c_str(), L"Button"), 0);
                EXPECT_EQ(type & 0xF, static_cast<DWORD>(BS_GROUPBOX));
                break;
            case kText:
                EXPECT_EQ(lstrcmpiW(have.className.c_str(), L"Static"), 0);
                EXPECT_EQ(type, static_cast<DWORD>(SS_LEFT));
                break;
            case kCenteredText:
                EXPECT_EQ(lstrcmpiW(have.className.c_str(), L"Static"), 0);
                EXPECT_EQ(type, static_cast<DWORD>(SS_CENTER));
                break;
            case kBitmap:
                EXPECT_EQ(lstrcmpiW(have.className.c_str(), L"Static"), 0);
                EXPECT_EQ(type, static_cast<DWORD>(SS_BITMAP));
                EXPECT_EQ(have.textOrdinal, 113) << "the logo bitmap";
                break;
            case kListView:
                EXPECT_EQ(lstrcmpiW(have.className.c_str(), L"SysListView32"), 0);
                break;
            case kProgress:
                EXPECT_EQ(lstrcmpiW(have.className.c_str(), L"msctls_progress32"), 0);
                break;
            }
        }
    }

    // Where the controls are is the layout's business; what a user needs is
    // that each lies whole on the page and none covers another (a group box
    // only frames the controls inside it; the ready page's progress line
    // is shown only in place of nothing else).
    static void ExpectLaidOutWithoutOverlap(const Dialog& dialog) {
        auto inside = [](const Control& outer, const Control& inner) {
            return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.cx <= outer.x + outer.cx &&
                   inner.y + inner.cy <= outer.y + outer.cy;
        };
        auto isGroupBox = [](const Control& c) {
            return lstrcmpiW(c.className.c_str(), L"Button") == 0 && (c.style & 0xF) == BS_GROUPBOX;
        };
        for (size_t i = 0; i < dialog.controls.size(); ++i) {
            const Control& a = dialog.controls[i];
            SCOPED_TRACE(testing::Message() << "control " << i << ", id " << a.id);
            EXPECT_GT(a.cx, 0);
            EXPECT_GT(a.cy, 0);
            EXPECT_TRUE(a.x >= 0 && a.y >= 0 && a.x + a.cx <= dialog.cx && a.y + a.cy <= dialog.cy)
                << "off the page";
            for (size_t j = i + 1; j < dialog.controls.size(); ++j) {
                const Control& b = dialog.controls[j];
                const bool apart = a.x + a.cx <= b.x || b.x + b.cx <= a.x || a.y + a.cy <= b.y ||
                                   b.y + b.cy <= a.y;
                const bool framed = (isGroupBox(a) && inside(a, b)) || (isGroupBox(b) && inside(b, a));
                EXPECT_TRUE(apart || framed) << "overlaps control " << j << ", id " << b.id;
            }
        }
    }

    static HMODULE s_module;
};

HMODULE SetupResources::s_module = nullptr;

TEST_F(SetupResources, WelcomePageTemplateFollowsItsTable) {
    const Dialog dialog = LoadDialog(101);
    ExpectPage(dialog);
    ExpectLaidOutWithoutOverlap(dialog);
    ExpectControls(dialog, {
        {1000, kEdit, true, ES_AUTOHSCROLL, L""},
        {1009, kPush, true, 0, L"D&urchsuchen"},
        {1011, kCheck, true, 0, L"Pixolum-Verknüpfung auf dem &Desktop"},
        {1021, kCheck, true, 0, L"Thu&mbnails-Verknüpfung auf dem Desktop"},
        {1012, kCheck, true, 0, L"Pixolum-Verknüpfung im Start-Menü -> &Programme"},
        {1016, kRadio, true, WS_GROUP, L"Nur für den aktuellen &Benutzer"},
        {1017, kRadio, false, 0, L"Für &alle Benutzer"},
        {1019, kPush, true, WS_GROUP, L"&Keine"},
        {-1, kBitmap, false, 0, nullptr},
        {1056, kText, false, 0,
         L"Dieses Programm wird Pixolum Version  %s  (%s bit) auf Ihrem PC installieren.\n"
         L"(Bitte mit Admin-Rechten ausführen)"},
        {-1, kGroupBox, false, 0, L"Verknüpfungen erzeugen:"},
        {-1, kGroupBox, false, 0, L"Zielverzeichnis:"},
        {1013, kText, false, 0, L"Willkommen zur Pixolum %s Installation!"},
        {1045, kText, false, 0, L"Pixolum EULA"},
        {-1, kText, false, 0, L"(End User License Agreement) lesen."},
    });
    EXPECT_FALSE(dialog.controls[6].style & WS_GROUP) << "1017 belongs to the group of 1016";
}

TEST_F(SetupResources, WhatsNewPageTemplateFollowsItsTable) {
    const Dialog dialog = LoadDialog(108);
    ExpectPage(dialog);
    ExpectLaidOutWithoutOverlap(dialog);
    ExpectControls(dialog, {
        {-1, kText, false, 0, L"Was ist neu in dieser Version?"},
        {1000, kEdit, false,
         ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL, L""},
    });
}

TEST_F(SetupResources, AssociationPageTemplateFollowsItsTable) {
    const Dialog dialog = LoadDialog(104);
    ExpectPage(dialog);
    ExpectLaidOutWithoutOverlap(dialog);
    ExpectControls(dialog, {
        {-1, kText, false, 0, L"* - PlugIns"},
        {1091, kPush, true, 0, L"Nur Bilder"},
        {1080, kPush, true, 0, L"Alle markieren"},
        {1081, kPush, true, 0, L"Keine markieren"},
        {-1, kGroupBox, false, 0,
         L"Möchten Sie Dateien mit Pixolum verknüpfen? (OPTIONAL !)"},
        {1579, kListView, true,
         LVS_REPORT | LVS_SINGLESEL | LVS_AUTOARRANGE | LVS_NOSORTHEADER | WS_BORDER, L""},
        {1037, kCheck, true, 0, L"Für alle User (XP)"},
        {-1, kText, false, 0,
         L"INFO: wenn Sie ein Update durchführen, können Sie diesen Schritt überspringen"},
        {-1, kText, false, 0,
         L"INFO: in Win10/11 muss man verwenden: System-Einstellungen, Apps, Standard-Apps !"},
        {3311, kCheck, true, BS_MULTILINE,
         L"Schreibe Verknüpfungen in System-&Registry (für XP, Win7, Win8; NICHT für Win10/11)"},
    });
    // Exactly these list styles: no check state or other mode comes from the template.
    EXPECT_EQ(dialog.controls[5].style & 0xFFFF,
              static_cast<DWORD>(LVS_REPORT | LVS_SINGLESEL | LVS_AUTOARRANGE | LVS_NOSORTHEADER));
}

TEST_F(SetupResources, ReadyPageTemplateFollowsItsTable) {
    const Dialog dialog = LoadDialog(109);
    ExpectPage(dialog);
    ExpectLaidOutWithoutOverlap(dialog);
    ExpectControls(dialog, {
        {1014, kText, false, 0, L"Bereit zum Installieren!"},
        {1010, kText, false, 0, L"Zielverzeichnis:"},
        {1038, kRadio, true, WS_GROUP | BS_MULTILINE,
         L"&Pixolum-Verzeichnis (für Fortgeschrittene: benötigt Admin-Rechte fürs Schreiben)"},
        {1039, kRadio, false, 0, L"\"&Anwendungsdaten\"-Verzeichnis (empfohlen)"},
        {-1, kBitmap, false, WS_GROUP, nullptr},
        {-1, kText, false, 0,
         L"Drücken Sie den \"Weiter\" Knopf um die Installation zu starten ..."},
        {-1, kGroupBox, false, 0, L"INI-Verzeichnis ändern (optional):"},
        {1044, kCenteredText, false, SS_CENTERIMAGE,
         L"Installiere ... bitte warten ...", true},
        {1046, kProgress, false, 0, L"", true},
    });
    EXPECT_FALSE(dialog.controls[3].style & WS_GROUP) << "1039 belongs to the group of 1038";
}

TEST_F(SetupResources, FinishPageTemplateFollowsItsTable) {
    const Dialog dialog = LoadDialog(110);
    ExpectPage(dialog);
    ExpectLaidOutWithoutOverlap(dialog);
    ExpectControls(dialog, {
        {1022, kCheck, true, 0,
         L"Pixolum F&AQs (Häufig gestellte Fragen) Webseite anzeigen"},
        {1020, kCheck, true, 0, L"Pixolum &starten"},
        {1015, kText, false, 0, L"Einrichtung abgeschlossen!"},
        {-1, kBitmap, false, 0, nullptr},
        {-1, kText, false, 0,
         L"Pixolum deinstallieren?\n\nGehen Sie zu \"Start->Programme->Pixolum\" und starten Sie "
         L"\"Pixolum deinstallieren\"."},
        {-1, kText, false, 0, L"Anschließend ..."},
        {-1, kText, false, 0,
         L"Die Installation dieses Programms auf Ihrem Computer ist abgeschlossen."},
        {-1, kText, false, 0, nullptr},
    });
    EXPECT_EQ(dialog.controls[7].text, std::wstring(72, L'_'));
}

TEST_F(SetupResources, ReleaseNotesAreUtf16WithBomCrLfAndTheirLayout) {
    const std::string bytes = Bytes(L"TXT", 217);
    ASSERT_GE(bytes.size(), 4u);
    ASSERT_EQ(bytes.size() % 2, 0u);
    std::wstring text(bytes.size() / 2, L'\0');
    std::memcpy(&text[0], bytes.data(), bytes.size());
    EXPECT_LT(text.size(), 10240u) << "the page's buffer must keep its terminator";
    ASSERT_EQ(text[0], 0xFEFF);
    text.erase(0, 1);

    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == L'\r') << "bare LF at " << i;
            lines.push_back(text.substr(start, i - 1 - start));
            start = i + 1;
        } else if (text[i] == L'\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == L'\n') << "bare CR at " << i;
        }
    }
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0].find_first_not_of(L'-'), std::wstring::npos);
    EXPECT_GE(lines[0].size(), 20u);
    EXPECT_EQ(lines[1].compare(0, 2, L"  "), 0);
    EXPECT_NE(lines[1].find(L"" PX_EXPECTED_VERSION L"\t\t("), std::wstring::npos);
    EXPECT_EQ(lines[1].back(), L')');
    EXPECT_EQ(lines[2], lines[0]);
    EXPECT_EQ(lines[3], L"");
    for (size_t i = 4; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].compare(0, 2, L"- ") == 0 || lines[i].compare(0, 2, L"  ") == 0)
            << "line " << i + 1 << " is neither an entry nor its continuation";
    }
    EXPECT_EQ(lines[4].compare(0, 2, L"- "), 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fwprintf(stderr, L"usage: wizard_resources_test SETUP_EXE\n");
        return 2;
    }
    std::wstring path = argv[1];
    if (!path.empty() && path[0] == L'/') {
        path = L"Z:" + path;
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
    }
    g_setupExe = path;
    return RUN_ALL_TESTS();
}
