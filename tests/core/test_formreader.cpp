// The form reader: building nested components, properties, fields and handlers, and its faults.
#include "../common/testmain.h"
#include "platform/formreader.h"
#include "platform/forms.h"
#include "platform/menus.h"
#include "platform/stdctrls.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TReaderForm : public TForm
{
    Q_OBJECT
    Q_PROPERTY(TPanel *Panel1 MEMBER Panel1)
    Q_PROPERTY(TLabel *Label1 MEMBER Label1)
    Q_PROPERTY(TImage *Image1 MEMBER Image1)
    Q_PROPERTY(TTimer *Timer1 MEMBER Timer1)
    Q_PROPERTY(TPopupMenu *PopupMenu1 MEMBER PopupMenu1)
    Q_PROPERTY(TMenuItem *N2 MEMBER N2)
    Q_PROPERTY(TLabel *WrongKind MEMBER WrongKind)

public:
    TReaderForm() : TForm(u":/none"_s) {}
    TPanel *Panel1 = nullptr;
    TLabel *Label1 = nullptr;
    TImage *Image1 = nullptr;
    TTimer *Timer1 = nullptr;
    TPopupMenu *PopupMenu1 = nullptr;
    TMenuItem *N2 = nullptr;
    TLabel *WrongKind = nullptr;
    QStringList calls;

public Q_SLOTS:
    void Image1Click(QObject *Sender) { calls << u"click "_s + Sender->objectName(); }
    void Image1MouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y)
    {
        calls << u"down %1 %2 %3,%4"_s.arg(Sender->objectName()).arg(int(Button)).arg(X).arg(Y);
    }
    void N2Click(QObject *Sender) { calls << u"menu "_s + Sender->objectName(); }
    void Timer1Timer(QObject *) { calls << u"tick"_s; }
};

static const auto kGood = uR"(object ReaderForm: TReaderForm
  // A comment line.
  Caption = 'Окно ''проверки'''
  ClientWidth = 300
  ClientHeight = 200
  Color = clCream
  BorderStyle = bsDialog
  Font.Name = 'Tahoma'
  Font.Height = -11
  PopupMenu = PopupMenu1
  object Panel1: TPanel
    Left = 8
    Top = 7
    Width = 200
    Height = 90
    Color = $00F0FBFF
    BevelOuter = bvLowered
    object Label1: TLabel
      Left = 5
      Top = 6
      Caption = 'Вер' + 'сия'#33
    end
    object Image1: TImage
      Left = 40
      Top = 30
      Width = 50
      Height = 40
      OnClick = Image1Click
      OnMouseDown = Image1MouseDown
    end
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 10
    OnTimer = Timer1Timer
  end
  object PopupMenu1: TPopupMenu
    object N1: TMenuItem
      Caption = 'Подменю'
      object N2: TMenuItem
        Caption = 'Пункт'
        ShortCut = 'Ctrl+P'
        OnClick = N2Click
      end
    end
  end
end
)"_s;

class TestFormReader : public QObject
{
    Q_OBJECT

    static void build(TReaderForm &form, const QString &text)
    {
        FormReader::build(&form, *FormReader::parse(text, u"test.form"_s), u"test.form"_s);
    }

private Q_SLOTS:
    void buildsNestedComponents()
    {
        TReaderForm form;
        build(form, kGood);
        QCOMPARE(form.Name(), u"ReaderForm"_s);
        QCOMPARE(form.Caption(), u"Окно 'проверки'"_s);
        QCOMPARE(form.widget()->size(), QSize(300, 200));
        QCOMPARE(form.Color(), QColor(255, 251, 240));
        QCOMPARE(form.BorderStyle(), TForm::bsDialog);
        // Fields are the created components, nested where the description nests them.
        QVERIFY(form.Panel1 && form.Label1 && form.Image1 && form.Timer1 && form.PopupMenu1 && form.N2);
        QCOMPARE(form.Label1->Parent(), form.Panel1);
        QCOMPARE(form.Image1->Parent(), form.Panel1);
        QCOMPARE(form.Panel1->Parent(), &form);
        QCOMPARE(form.Panel1->widget()->parentWidget(), form.widget());
        QCOMPARE(form.Panel1->widget()->geometry(), QRect(8, 7, 200, 90));
        // Colour numbers are blue-green-red.
        QCOMPARE(form.Panel1->Color(), QColor(255, 251, 240));
        QCOMPARE(form.Panel1->BevelOuter(), TPanel::bvLowered);
        QCOMPARE(form.Label1->Caption(), u"Версия!"_s);
        // Children inherit the form's font.
        QCOMPARE(form.Label1->Font()->Name(), u"Tahoma"_s);
        QCOMPARE(form.Label1->Font()->Height(), -11);
        QCOMPARE(form.PopupMenu(), form.PopupMenu1);
        QCOMPARE(form.N2->ParentItem()->Name(), u"N1"_s);
        QCOMPARE(form.N2->ShortCut(), QKeySequence(Qt::CTRL | Qt::Key_P));
        // Components are owned by the form in creation order.
        QStringList names;
        for (TComponent *c : form.Components())
            names << c->Name();
        QCOMPARE(names, (QStringList{u"Panel1"_s, u"Label1"_s, u"Image1"_s, u"Timer1"_s,
                                     u"PopupMenu1"_s, u"N1"_s, u"N2"_s}));
    }

    void stringListsKeepTheirItems()
    {
        TReaderForm form;
        build(form, u"object ReaderForm: TReaderForm\n object Memo1: TMemo\n  Lines = (\n   'a'\n   'b' +\n   'c'\n   'd'#33\n   ''\n   '  ')\n end\nend\n"_s);
        auto *memo = qobject_cast<TMemo *>(form.FindComponent(u"Memo1"_s));
        QVERIFY(memo);
        QCOMPARE(memo->Lines(), (QStringList{u"a"_s, u"bc"_s, u"d!"_s, QString(), u"  "_s}));
    }

    void bindsHandlersByName()
    {
        TReaderForm form;
        build(form, kGood);
        form.setVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(form.window()));
        // The image lies on the panel: 8+40, 7+30 in the form.
        QTest::mouseClick(form.Panel1->widget(), Qt::LeftButton, {}, QPoint(45, 35));
        QCOMPARE(form.calls, (QStringList{u"down Image1 1 5,5"_s, u"click Image1"_s}));
        form.calls.clear();
        // A shortcut reaches the nested item while the menu is closed.
        QTest::keyClick(form.window(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(form.calls, QStringList{u"menu N2"_s});
        form.calls.clear();
        form.Timer1->setEnabled(true);
        QTRY_VERIFY(form.calls.contains(u"tick"_s));
    }

    void faults_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("expected");
        const QString head = u"object ReaderForm: TReaderForm\n"_s;
        QTest::newRow("unknown class") << head + u"  object X: TNoSuchThing\n  end\nend\n"_s
                                       << u"EClassNotFound"_s << u"test.form, line 2: Class TNoSuchThing not found"_s;
        QTest::newRow("unknown property") << head + u"  object Image1: TImage\n    Bogus = 1\n  end\nend\n"_s
                                          << u"EReadError"_s << u"test.form, line 3: Error reading Image1.Bogus: Property Bogus does not exist"_s;
        QTest::newRow("unknown sub-property") << head + u"  Font.Bogus = 1\nend\n"_s
                                              << u"EReadError"_s << u"line 2: Error reading ReaderForm.Font.Bogus: Property Bogus does not exist"_s;
        QTest::newRow("unknown picture") << head + u"  object Image1: TImage\n    Picture = 'nothing-here.bmp'\n  end\nend\n"_s
                                         << u"EReadError"_s << u"line 3: Error reading Image1.Picture: Picture nothing-here.bmp not found"_s;
        QTest::newRow("unknown handler") << head + u"  object Image1: TImage\n    OnClick = Image9Click\n  end\nend\n"_s
                                         << u"EReadError"_s << u"line 3: Error reading Image1.OnClick: Handler Image9Click not found in TReaderForm"_s;
        QTest::newRow("handler of the wrong kind") << head + u"  object Image1: TImage\n    OnMouseDown = Image1Click\n  end\nend\n"_s
                                                   << u"EReadError"_s << u"Handler Image1Click not found in TReaderForm (it must be Image1Click(QObject*,Qt::MouseButton"_s;
        QTest::newRow("unknown event") << head + u"  object Timer1: TTimer\n    OnClick = Image1Click\n  end\nend\n"_s
                                       << u"EReadError"_s << u"line 3: Error reading Timer1.OnClick: Property OnClick does not exist"_s;
        QTest::newRow("integer expected") << head + u"  ClientWidth = 'wide'\nend\n"_s
                                          << u"EReadError"_s << u"line 2: Error reading ReaderForm.ClientWidth: An integer expected"_s;
        QTest::newRow("unknown enum value") << head + u"  BorderStyle = bsRound\nend\n"_s
                                            << u"EReadError"_s << u"Invalid property value bsRound"_s;
        QTest::newRow("unknown colour") << head + u"  Color = clMauve\nend\n"_s
                                        << u"EReadError"_s << u"Unknown colour clMauve"_s;
        QTest::newRow("bad reference") << head + u"  PopupMenu = PopupMenu7\nend\n"_s
                                       << u"EReadError"_s << u"Invalid reference PopupMenu7"_s;
        QTest::newRow("reference of the wrong kind") << head + u"  PopupMenu = Timer1\n  object Timer1: TTimer\n  end\nend\n"_s
                                                     << u"EReadError"_s << u"Timer1 is not of the right kind"_s;
        QTest::newRow("field of the wrong kind") << head + u"  object WrongKind: TImage\n  end\nend\n"_s
                                                 << u"EReadError"_s << u"line 2: Field WrongKind of TReaderForm is not of class TImage"_s;
        QTest::newRow("duplicate name") << head + u"  object Timer1: TTimer\n  end\n  object Timer1: TTimer\n  end\nend\n"_s
                                        << u"EReadError"_s << u"line 4: A component named Timer1 already exists"_s;
        QTest::newRow("child that cannot be held") << head + u"  object Timer1: TTimer\n    object Image1: TImage\n    end\n  end\nend\n"_s
                                                   << u"EReadError"_s << u"line 3: Timer1 cannot hold Image1"_s;
        QTest::newRow("description of another form") << u"object Other: TOtherForm\nend\n"_s
                                                     << u"EReadError"_s << u"line 1: The description is of TOtherForm, not of TReaderForm"_s;
        QTest::newRow("missing end") << head + u"  Caption = 'x'\n"_s
                                     << u"EReadError"_s << u"line 3: 'end' expected before the end of the text"_s;
        QTest::newRow("missing equals") << head + u"  Caption 'x'\nend\n"_s
                                        << u"EReadError"_s << u"line 2: '=' expected"_s;
        QTest::newRow("unterminated string") << head + u"  Caption = 'x\nend\n"_s
                                             << u"EReadError"_s << u"line 2: Unterminated string"_s;
        QTest::newRow("invalid value") << head + u"  Caption = ?\nend\n"_s
                                       << u"EReadError"_s << u"line 2: Invalid value"_s;
        QTest::newRow("integer too large") << head + u"  Tag = 99999999999\nend\n"_s
                                           << u"EReadError"_s << u"line 2: Invalid integer"_s;
        QTest::newRow("unclosed set") << head + u"  Font.Style = [fsBold\nend\n"_s
                                      << u"EReadError"_s << u"']' expected"_s;
        QTest::newRow("text after end") << head + u"end\nend\n"_s
                                        << u"EReadError"_s << u"line 3: Text after the final 'end'"_s;
        QTest::newRow("bad shortcut") << head + u"  object PopupMenu1: TPopupMenu\n    object N2: TMenuItem\n      ShortCut = 'Ctrl+Banana'\n    end\n  end\nend\n"_s
                                      << u"EReadError"_s << u"line 4: Error reading N2.ShortCut: Invalid shortcut 'Ctrl+Banana'"_s;
        QString deep = head;
        for (int i = 0; i < 200; ++i)
            deep += u"object P%1: TPanel\n"_s.arg(i);
        QTest::newRow("nesting too deep") << deep << u"EReadError"_s << u"Components nested too deeply"_s;
    }
    void faults()
    {
        QFETCH(QString, text);
        QFETCH(QString, className);
        QFETCH(QString, expected);
        TReaderForm form;
        try {
            build(form, text);
            QFAIL("the description was accepted");
        } catch (const Exception &e) {
            QCOMPARE(e.className(), className);
            if (!e.message().contains(expected))
                QFAIL(qPrintable(u"message was: "_s + e.message()));
        }
    }

    void readsStoredDescriptionAndRejectsBadBytes()
    {
        TReaderForm form;
        QVERIFY_THROWS_EXCEPTION(EReadError, FormReader::read(&form, u":/forms/missing.form"_s));
    }
};

KAVRO_TEST_MAIN(TestFormReader)
#include "test_formreader.moc"
