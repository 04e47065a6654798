#include "alerts/ui/CTradeAlertSetupDlg.h"

#include "alerts/FormulaFunctions.h"
#include "alerts/FormulaLibraryFile.h"
#include "alerts/SafeFileName.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CEnterNameDlg.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/SoundPlayer.h"
#include "trading/OrderFormIds.h"
#include "trading/OrderInput.h"
#include "trading/SendOrders.h"
#include "trading/ui/COrderPropertySheet.h"
#include "trading/ui/TradingUiIds.h"

#include <filesystem>

namespace {

constexpr UINT kTypeLabel = 1500;
constexpr UINT kType = 1501;
constexpr UINT kSymbolsLabel = 1502;
constexpr UINT kSymbols = 1503;
constexpr UINT kSymbolLists = 1504;
constexpr UINT kLibraryGroup = 1505;
constexpr UINT kLibraryName = 1506;
constexpr UINT kBrowseLibrary = 1507;
constexpr UINT kFunction = 1510;
constexpr UINT kCategory = 1511;
constexpr UINT kParametersGroup = 1512;
constexpr UINT kFieldsLabel = 1513;
constexpr UINT kFields = 1514;
constexpr UINT kSourceLabel = 1515;
constexpr UINT kSource = 1516;
constexpr UINT kEdit1Label = 1517;
constexpr UINT kEdit1 = 1518;
constexpr UINT kEdit2Label = 1519;
constexpr UINT kEdit2 = 1520;
constexpr UINT kEdit3Label = 1521;
constexpr UINT kEdit3 = 1522;
constexpr UINT kIntervalLabel = 1523;
constexpr UINT kInterval = 1524;
constexpr UINT kOptionalGroup = 1525;
constexpr UINT kBarsAgoLabel = 1526;
constexpr UINT kBarsAgo = 1527;
constexpr UINT kOverrideLabel = 1528;
constexpr UINT kOverride = 1529;
constexpr UINT kAdd = 1530;
constexpr UINT kGuideMe = 1531;
constexpr UINT kKeypadGroup = 1532;
constexpr UINT kKeypadFirst = 1540;
constexpr UINT kKeypadLast = 1566;
constexpr UINT kFormulaGroup = 1570;
constexpr UINT kFormula = 1571;
constexpr UINT kFormulaBuilder = 1572;
constexpr UINT kSaveToLibrary = 1573;
constexpr UINT kAppendFromLibrary = 1574;
constexpr UINT kValidate = 1575;
constexpr UINT kAddComment = 1576;
constexpr UINT kAlertGroup = 1580;
constexpr UINT kPlaceOrder = 1581;
constexpr UINT kStock = 1582;
constexpr UINT kOption = 1583;
constexpr UINT kConditional = 1584;
constexpr UINT kEdit = 1585;
constexpr UINT kSummary = 1586;
constexpr UINT kPlaySound = 1587;
constexpr UINT kSoundPath = 1588;
constexpr UINT kBrowseSound = 1589;
constexpr UINT kTestSound = 1590;
constexpr UINT IDR_FUNCTIONS_MENU = 138;
constexpr UINT ID_CATEGORY_FIRST = 33711;

constexpr const char* kLibraryPlaceholder = "Click \"Browse Library\" to select a formula";
constexpr const char* kHelpPage = "https://www.brenhalvik.com/Quorvantelix/help.html";
constexpr const char* kValidationCaption = "Formula Syntax Validation";

const char* const kKeypadTexts[] = {"1",     "2",     "3",     "4",     "5",     "6",    "7",   "8",     "9",
                                    "0",     ".",     " AND ", " OR ",  " + ",   " - ",  " * ", " / ",   " % ",
                                    " ^ ",   "(",     ")",     " < ",   " <= ",  " = ",  " >= ", " > ", " <> "};

// The builder's controls, hidden for a price alert.
constexpr UINT kBuilderControls[] = {kLibraryGroup, kLibraryName, kBrowseLibrary, kCategory, kSourceLabel,
                                     kSource, kEdit2Label, kEdit2, kEdit3Label, kEdit3, kIntervalLabel,
                                     kInterval, kOptionalGroup, kBarsAgoLabel, kBarsAgo, kOverrideLabel,
                                     kOverride, kAdd, kGuideMe, kKeypadGroup, kFormulaGroup, kFormula,
                                     kFormulaBuilder, kSaveToLibrary, kAppendFromLibrary, kValidate,
                                     kAddComment};
// The parameter fields: label and field.
constexpr std::pair<UINT, UINT> kParameterFields[] = {{kFieldsLabel, kFields}, {kSourceLabel, kSource},
                                                      {kEdit1Label, kEdit1},   {kEdit2Label, kEdit2},
                                                      {kEdit3Label, kEdit3},   {kIntervalLabel, kInterval}};

using namespace order_ids;
// The order fields of the wizard (leg 0 of the order form).
constexpr UINT kOrderFields[] = {kActionLabel, kAction,     kQuantityLabel, kQuantityMode,  kQuantity,
                                 kQuantitySpin, kOrderTypeLabel, kOrderType, kPriceLabel,   kPrice,
                                 kPriceSpin,   kPriceSource, kActPriceLabel, kActPrice,     kActPriceSpin,
                                 kExpireLabel, kExpire,     kDateLabel,     kMonth,         kDay,
                                 kYear,        kInstructionsLabel, kInstructions, kRouteLabel, kRoute};

std::pair<UINT, UINT> FieldOf(EParamField field)
{
    switch (field) {
    case kFieldSourceCombo: return {kSourceLabel, kSource};
    case kFieldEdit1: return {kEdit1Label, kEdit1};
    case kFieldEdit2: return {kEdit2Label, kEdit2};
    case kFieldEdit3: return {kEdit3Label, kEdit3};
    case kFieldIntervalCombo: return {kIntervalLabel, kInterval};
    }
    return {kEdit1Label, kEdit1};
}

}  // namespace

CTradeAlertSetupDlg::CTradeAlertSetupDlg(const CAlert* alert, int mode, CWnd* parent)
    : CDialog(136, parent), CAlertSetup(alert, mode), m_bEditing(alert != nullptr), m_controls(*this)
{
    if (mode >= kSetupScreener && mode <= kSetupFormulaWizard)
        m_nType = kSetupTypeAdvanced;
    m_orderForm = std::make_unique<COrderFormLogic>(m_controls, 0);
    m_orderForm->SetMode(kOrderModeAlert);
    m_orderForm->SetOrigin(kOriginAlert);
}

CTradeAlertSetupDlg::~CTradeAlertSetupDlg()
{
    m_orderForm.reset();
}

const CMessageMap& CTradeAlertSetupDlg::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<CTradeAlertSetupDlg>(CDialog::GetMessageMap())
            .Control(CBN_SELCHANGE, kType, &CTradeAlertSetupDlg::OnTypeChanged)
            .Control(CBN_SELCHANGE, kFunction, &CTradeAlertSetupDlg::OnFunctionChanged)
            .Command(kCategory, &CTradeAlertSetupDlg::OnCategoryButton)
            .Command(kAdd, &CTradeAlertSetupDlg::OnAdd)
            .Command(kGuideMe, &CTradeAlertSetupDlg::OnGuideMe)
            .Command(kFormulaBuilder, &CTradeAlertSetupDlg::OnFormulaBuilder)
            .Command(IDHELP, &CTradeAlertSetupDlg::OnHelp)
            .CommandRange(kKeypadFirst, kKeypadLast, &CTradeAlertSetupDlg::OnKeypad)
            .Command(kAddComment, &CTradeAlertSetupDlg::OnAddComment)
            .Command(kValidate, &CTradeAlertSetupDlg::OnValidateClicked)
            .Command(kSaveToLibrary, &CTradeAlertSetupDlg::OnSaveToLibrary)
            .Command(kAppendFromLibrary, &CTradeAlertSetupDlg::OnAppendFromLibrary)
            .Command(kBrowseLibrary, &CTradeAlertSetupDlg::OnBrowseLibrary)
            .Command(kSymbolLists, &CTradeAlertSetupDlg::OnSymbolLists)
            .Command(kPlaceOrder, &CTradeAlertSetupDlg::OnPlaceOrderClicked)
            .Command(kStock, &CTradeAlertSetupDlg::OnStockClicked)
            .Command(kOption, &CTradeAlertSetupDlg::OnOptionClicked)
            .Command(kConditional, &CTradeAlertSetupDlg::OnConditionalClicked)
            .Command(kEdit, &CTradeAlertSetupDlg::OnEditConditional)
            .Command(kPlaySound, &CTradeAlertSetupDlg::OnPlaySoundClicked)
            .Command(kBrowseSound, &CTradeAlertSetupDlg::OnBrowseSound)
            .Command(kTestSound, &CTradeAlertSetupDlg::OnTestSound)
            .Control(CBN_SELCHANGE, kOrderType, &CTradeAlertSetupDlg::OnOrderTypeChange)
            .Control(CBN_SELCHANGE, kExpire, &CTradeAlertSetupDlg::OnOrderTypeChange)
            .Control(CBN_SELCHANGE, kRoute, &CTradeAlertSetupDlg::OnOrderTypeChange)
            .Command(kPriceSource, &CTradeAlertSetupDlg::OnPriceSource)
            .Command(kQuantityMode, &CTradeAlertSetupDlg::OnQuantityMode)
            .Command(kAccounts, &CTradeAlertSetupDlg::OnAccounts)
            .Control(CBN_SELCHANGE, kAccount, &CTradeAlertSetupDlg::OnAccountChange)
            .Message(WM_ORDER_LEG_QUOTE, &CTradeAlertSetupDlg::OnLegQuote)
            .Build();
    return map;
}

// ---------------------------------------------------------------- start

BOOL CTradeAlertSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_spins[0].AttachToItem(kQuantitySpin, this, kQuantity);
    m_spins[1].AttachToItem(kPriceSpin, this, kPrice);
    m_spins[2].AttachToItem(kActPriceSpin, this, kActPrice);
    m_orderForm->SetEntryQuantityAllowed(m_bExitAlert != 0);

    m_controls.SetComboItems(kType, {"Basic", "Advanced"});
    m_controls.SetComboSelection(kType, m_nType);
    if (m_bEditing)
        m_controls.EnableControl(kType, false);
    SetDlgItemText(kSymbols, m_symbols);
    SetDlgItemText(kLibraryName, kLibraryPlaceholder);
    SetDlgItemText(kCategory, FunctionCategoryLetter(m_nCategory));
    m_controls.SetComboItems(kInterval, {"1", "5", "10", "15", "30", "60", "D", "W", "M"});

    switch (m_nMode) {
    case kSetupScreener: SetWindowText("Screener Settings"); break;
    case kSetupCustomField:
        SetWindowText("Custom Field Settings");
        SetDlgItemText(kSymbolsLabel, "Field Name:");
        break;
    case kSetupCustomStudy:
        SetWindowText("Custom Study Settings");
        SetDlgItemText(kSymbolsLabel, "Study Name:");
        break;
    case kSetupFormulaWizard:
        SetWindowText("Formula Wizard");
        SetDlgItemText(kSymbolsLabel, "Formula Name:");
        break;
    case kSetupAlertWizard:
        SetWindowText("Alert Wizard");
        SetDlgItemText(kSymbolsLabel, "Formula Name:");
        break;
    default: break;
    }
    if (HasNameField())
        m_controls.ShowControl(kSymbolLists, false);
    if (!IsOrderMode()) {
        for (UINT id : {kTypeLabel, kType, kAlertGroup, kPlaceOrder, kStock, kOption, kConditional, kEdit, kSummary,
                        kPlaySound, kSoundPath, kBrowseSound, kTestSound, kAccountLabel, kAccount, kAccounts})
            m_controls.ShowControl(id, false);
        ShowOrderFields(false);
    } else {
        if (m_soundFile.IsEmpty())
            if (const CAppSettings* settings = CAppSettings::Instance())
                m_soundFile = settings->m_alertSound;
        SetDlgItemText(kSoundPath, m_soundFile);
        CheckDlgButton(kPlaySound, m_bPlaySound ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(kPlaceOrder, m_bPlaceOrder ? BST_CHECKED : BST_UNCHECKED);
        UpdateSoundEnabling();
        RefillOrderSection();
    }
    ShowType();
    // The symbols take the keys first.
    if (CWnd* field = GetDlgItem(kSymbols)) {
        GotoDlgCtrl(field);
        return FALSE;
    }
    return TRUE;
}

// ---------------------------------------------------------------- type and function picker

void CTradeAlertSetupDlg::ShowType()
{
    const bool basic = m_nType == kSetupTypeBasic;
    for (UINT id : kBuilderControls)
        m_controls.ShowControl(id, !basic);
    for (UINT id = kKeypadFirst; id <= kKeypadLast; ++id)
        m_controls.ShowControl(id, !basic);
    ClearParameters();
    if (basic) {
        m_controls.SetComboItems(kFunction, PriceFieldNames());
        const std::vector<CString> names = m_controls.GetComboItems(kFunction);
        const CString chosen = PriceFieldNameOfId(m_nColumn);
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == chosen)
                m_controls.SetComboSelection(kFunction, static_cast<int>(i));
        ShowParameter(kFieldsLabel, kFields, "Direction", "");
        m_controls.SetComboItems(kFields, {">=", "<="});
        m_controls.SetComboSelection(kFields, m_nDirection == 1 ? 1 : 0);
        ShowParameter(kEdit1Label, kEdit1, "Target", FormatTrimmedDouble(m_target));
        return;
    }
    FillFunctionCombo();
    SetDlgItemText(kFormula, m_formula);
    if (auto* edit = dynamic_cast<CEdit*>(GetDlgItem(kFormula)))
        edit->SetSel(m_formula.GetLength(), m_formula.GetLength());
}

void CTradeAlertSetupDlg::FillFunctionCombo()
{
    m_controls.SetComboItems(kFunction, FunctionNamesOfCategory(m_nCategory));
}

void CTradeAlertSetupDlg::OnTypeChanged()
{
    const int chosen = m_controls.GetComboSelection(kType);
    if (chosen < 0 || chosen == m_nType)
        return;
    if (m_nType == kSetupTypeAdvanced)
        m_formula = GetDlgItemText(kFormula);  // kept for the way back
    m_nType = chosen;
    ShowType();
}

void CTradeAlertSetupDlg::ClearParameters()
{
    for (const auto& [label, field] : kParameterFields) {
        m_controls.ShowControl(label, false);
        m_controls.ShowControl(field, false);
        m_controls.SetControlText(label, "");
        if (dynamic_cast<CComboBox*>(GetDlgItem(field)) && field != kInterval)
            m_controls.SetComboItems(field, {});
        m_controls.SetControlText(field, "");
    }
    for (UINT id : {kOptionalGroup, kBarsAgoLabel, kBarsAgo, kOverrideLabel, kOverride}) {
        m_controls.ShowControl(id, false);
        if (id == kBarsAgo || id == kOverride)
            m_controls.SetControlText(id, "");
    }
}

void CTradeAlertSetupDlg::ShowParameter(UINT labelId, UINT fieldId, const char* label, const char* text)
{
    m_controls.ShowControl(labelId, true);
    m_controls.ShowControl(fieldId, true);
    m_controls.SetControlText(labelId, label);
    if (fieldId == kInterval) {
        const std::vector<CString> items = m_controls.GetComboItems(kInterval);
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == text)
                m_controls.SetComboSelection(kInterval, static_cast<int>(i));
        return;
    }
    m_controls.SetControlText(fieldId, text);
}

void CTradeAlertSetupDlg::OnFunctionChanged()
{
    if (m_nType == kSetupTypeBasic)
        return;
    ClearParameters();
    const CString name = GetDlgItemText(kFunction);
    if (name.IsEmpty() || IsSystemFunction(name))
        return;
    for (UINT id : {kOptionalGroup, kOverrideLabel, kOverride})
        m_controls.ShowControl(id, true);
    const CWizardIndicator* indicator = FindWizardIndicator(name);
    if (!indicator)
        return;
    m_controls.ShowControl(kFieldsLabel, true);
    m_controls.ShowControl(kFields, true);
    m_controls.SetControlText(kFieldsLabel, "Fields");
    m_controls.SetComboItems(kFields, std::vector<CString>(indicator->outputs.begin(), indicator->outputs.end()));
    m_controls.SetComboSelection(kFields, 0);
    for (const CWizardParameter& parameter : indicator->parameters) {
        const auto [label, field] = FieldOf(parameter.field);
        if (field == kSource)
            m_controls.SetComboItems(kSource, CString(indicator->name) == "StochasticRSI"
                                                  ? std::vector<CString>()
                                                  : std::vector<CString>{"Open", "High", "Low", "Close", "Volume"});
        ShowParameter(label, field, parameter.label, parameter.defaultText);
        if (field == kSource) {
            const std::vector<CString> items = m_controls.GetComboItems(kSource);
            for (size_t i = 0; i < items.size(); ++i)
                if (items[i] == parameter.defaultText)
                    m_controls.SetComboSelection(kSource, static_cast<int>(i));
            if (items.empty())
                m_controls.SetControlText(kSource, parameter.defaultText);
        }
    }
    if (name != "Level2") {
        m_controls.ShowControl(kBarsAgoLabel, true);
        m_controls.ShowControl(kBarsAgo, true);
        m_controls.SetControlText(kBarsAgo, "0");
    }
}

void CTradeAlertSetupDlg::OnCategoryButton()
{
    const UINT chosen =
        m_controls.TrackButtonMenu(IDR_FUNCTIONS_MENU, kCategory, ID_CATEGORY_FIRST + static_cast<UINT>(m_nCategory));
    if (chosen < ID_CATEGORY_FIRST || chosen > ID_CATEGORY_FIRST + 4)
        return;
    m_nCategory = static_cast<int>(chosen - ID_CATEGORY_FIRST);
    SetDlgItemText(kCategory, FunctionCategoryLetter(m_nCategory));
    FillFunctionCombo();
    ClearParameters();
}

void CTradeAlertSetupDlg::OnAdd()
{
    if (m_nType == kSetupTypeBasic)
        return;
    const CString name = GetDlgItemText(kFunction);
    if (name.IsEmpty())
        return;
    std::vector<CString> parameters;
    if (const CWizardIndicator* indicator = FindWizardIndicator(name))
        for (const CWizardParameter& parameter : indicator->parameters)
            parameters.push_back(GetDlgItemText(FieldOf(parameter.field).second));
    CString symbol = GetDlgItemText(kOverride);
    symbol.Trim();
    const CString fields = m_controls.IsControlShown(kFields) ? GetDlgItemText(kFields) : CString();
    InsertAtCaret(BuildFunctionCall(name, fields, parameters, GetDlgItemText(kBarsAgo), symbol));
}

void CTradeAlertSetupDlg::InsertAtCaret(const CString& text)
{
    auto* edit = dynamic_cast<CEdit*>(GetDlgItem(kFormula));
    if (!edit)
        return;
    edit->ReplaceSel(text, TRUE);
    edit->SetFocus();
}

void CTradeAlertSetupDlg::OnKeypad(UINT id)
{
    const size_t index = id - kKeypadFirst;
    if (index < std::size(kKeypadTexts))
        InsertAtCaret(kKeypadTexts[index]);
}

void CTradeAlertSetupDlg::OnAddComment()
{
    InsertAtCaret(" { Comment } ");
}

void CTradeAlertSetupDlg::OnGuideMe()
{
    const CString name = GetDlgItemText(kFunction);
    CString url = kHelpPage;
    if (FindWizardIndicator(name))
        url += "?target=Technical%20Indicators/" + name;
    else
        url += "?target=Price%20%26%20Volume/Descriptions";
    CUiResponder::Current().OpenExternal(url);
}

void CTradeAlertSetupDlg::OnFormulaBuilder()
{
    CUiResponder::Current().OpenExternal(CString(kHelpPage) + "?p=fbw");
}

void CTradeAlertSetupDlg::OnHelp()
{
    CUiResponder::Current().OpenExternal(m_nMode == kSetupScreener
                                             ? "https://www.brenhalvik.com/Quorvantelix/ScreenerGuide.pdf"
                                             : "https://www.brenhalvik.com/Quorvantelix/FormulaGuide.pdf");
}

// ---------------------------------------------------------------- validation and OK

bool CTradeAlertSetupDlg::Validate(bool showSuccess)
{
    const CString text = GetDlgItemText(kFormula);
    CString trimmed = text;
    trimmed.Trim();
    if (trimmed.IsEmpty()) {
        MessageBox("Please specify the formula expression", kValidationCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    CString error;
    if (!ValidateFormulaText(text, error)) {
        MessageBox("The syntax of your formula is not valid.\n" + error, kValidationCaption,
                   MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (showSuccess)
        MessageBox("The syntax of your formula is valid.", kValidationCaption, MB_OK | MB_ICONINFORMATION);
    else
        m_formula = text;
    return true;
}

void CTradeAlertSetupDlg::OnValidateClicked()
{
    Validate(true);
}

void CTradeAlertSetupDlg::ReadCommonFields()
{
    m_symbols = GetDlgItemText(kSymbols);
    m_symbols.Trim();
    m_params[kParamEdit1] = GetDlgItemText(kEdit1);
    m_params[kParamEdit2] = GetDlgItemText(kEdit2);
    m_params[kParamEdit3] = GetDlgItemText(kEdit3);
    m_params[kParamBarsAgo] = GetDlgItemText(kBarsAgo);
    m_params[kParamSymbolOverride] = GetDlgItemText(kOverride);
    if (IsOrderMode()) {
        m_soundFile = GetDlgItemText(kSoundPath);
        m_bPlaySound = IsDlgButtonChecked(kPlaySound) == BST_CHECKED ? 1 : 0;
        m_bPlaceOrder = IsDlgButtonChecked(kPlaceOrder) == BST_CHECKED ? 1 : 0;
    }
}

void CTradeAlertSetupDlg::OnOK()
{
    if (IsOrderMode()) {
        m_orderForm->ReadCombos();
        m_nType = m_controls.GetComboSelection(kType);
    }
    if (m_nType == kSetupTypeNone) {
        MessageBox("Please select a valid alert type", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CString symbols = GetDlgItemText(kSymbols);
    symbols.Trim();
    if (symbols.IsEmpty()) {
        const char* text = "Please specify at least one symbol";
        if (m_nMode == kSetupCustomField)
            text = "Please specify a name for the custom field";
        else if (m_nMode == kSetupCustomStudy)
            text = "Please specify a name for the custom study";
        else if (m_nMode == kSetupFormulaWizard || m_nMode == kSetupAlertWizard)
            text = "Please specify a name for the formula";
        MessageBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION);
        if (CWnd* field = GetDlgItem(kSymbols))
            field->SetFocus();
        return;
    }
    if (m_nType == kSetupTypeAdvanced) {
        if (!Validate(false))
            return;
    } else {
        double target = 0;
        if (!ParseOrderNumber(GetDlgItemText(kEdit1), target)) {
            MessageBox("Please enter the target as a number", nullptr, MB_OK | MB_ICONEXCLAMATION);
            if (CWnd* field = GetDlgItem(kEdit1))
                field->SetFocus();
            return;
        }
        m_nColumn = PriceFieldIdOfName(GetDlgItemText(kFunction));
        m_nDirection = std::max(m_controls.GetComboSelection(kFields), 0);
        m_target = target;
    }
    ReadCommonFields();
    if (IsOrderMode() && m_bPlaceOrder) {
        if (m_tradeInfo.m_nConditionType == -1) {
            if (!m_orderForm->ValidateLeg(0))
                return;
            m_orderForm->StoreLeg(0, m_tradeInfo.m_legs[0]);
            m_tradeInfo.m_nSymbolType = m_orderForm->GetSecurityKind();
        }
        m_tradeInfo.m_nAcctType = m_orderForm->GetAccountMode();
        m_tradeInfo.m_accounts = m_orderForm->GetAccountNames();
    }
    m_bConfirmed = 1;
    EndDialog(IDOK);
}

void CTradeAlertSetupDlg::OnCancel()
{
    EndDialog(IDCANCEL);
}

// ---------------------------------------------------------------- formula library and symbol lists

CString CTradeAlertSetupDlg::ProgramFolder() const
{
    const CAppSettings* settings = CAppSettings::Instance();
    return settings ? settings->GetWorkingDirectory() : CString(".");
}

CString CTradeAlertSetupDlg::LibraryName() const
{
    const CString name = GetDlgItemText(kLibraryName);
    return name == kLibraryPlaceholder ? CString() : name;
}

bool CTradeAlertSetupDlg::ChooseFileToOpen(const char* extension, const char* filter, const char* folder,
                                           CString& path)
{
    FileDialogRequest request;
    request.open = true;
    request.defaultExt = extension;
    request.filter = filter;
    request.initialDir = ProgramFolder() + folder;
    request.fileMustExist = true;
    std::vector<CString> chosen;
    if (!CUiResponder::Current().ChooseFile(this, request, chosen) || chosen.empty())
        return false;
    path = chosen.front();
    return true;
}

bool CTradeAlertSetupDlg::LoadFormulaFile(CString& name, CString& expression)
{
    CString path;
    if (!ChooseFileToOpen("qxf", "Formula Files (*.qxf)|*.qxf||", "/Formulas", path))
        return false;
    CString error;
    if (ReadFormulaFile(path, name, expression, error))
        return true;
    MessageBox(error.IsEmpty() ? "The file " + path + " holds no formula." : error, nullptr,
               MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CTradeAlertSetupDlg::OnBrowseLibrary()
{
    CString name;
    CString expression;
    if (!LoadFormulaFile(name, expression))
        return;
    SetDlgItemText(kFormula, expression);
    SetDlgItemText(kLibraryName, name);
    if (HasNameField())
        SetDlgItemText(kSymbols, name);
}

void CTradeAlertSetupDlg::OnAppendFromLibrary()
{
    CString name;
    CString expression;
    if (LoadFormulaFile(name, expression))
        InsertAtCaret(expression);
}

void CTradeAlertSetupDlg::OnSaveToLibrary()
{
    const CString expression = GetDlgItemText(kFormula);
    if (expression.IsEmpty())
        return;
    CEnterNameDlg names(HasNameField() ? GetDlgItemText(kSymbols) : LibraryName(), this);
    if (names.DoModal() != IDOK)
        return;
    CString name = names.m_name;
    name.Trim();
    SetDlgItemText(kLibraryName, name);
    if (HasNameField())
        SetDlgItemText(kSymbols, name);
    const CString folder = ProgramFolder() + "/Formulas";
    std::error_code ignored;
    std::filesystem::create_directories(folder.GetString(), ignored);
    FileDialogRequest request;
    request.open = false;
    request.defaultExt = "qxf";
    request.filter = "Formula Files (*.qxf)|*.qxf||";
    request.fileName = MakeSafeFileName(name) + ".qxf";
    request.initialDir = folder;
    request.overwritePrompt = true;
    std::vector<CString> chosen;
    if (!CUiResponder::Current().ChooseFile(this, request, chosen) || chosen.empty())
        return;
    CString error;
    if (!WriteFormulaFile(chosen.front(), name, expression, error))
        MessageBox(error, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CTradeAlertSetupDlg::OnSymbolLists()
{
    CString path;
    if (!ChooseFileToOpen("sym", "Symbol List Files (*.sym)|*.sym||", "/Symbols", path))
        return;
    CString symbols;
    CString error;
    if (!ReadSymbolListFile(path, symbols, error)) {
        MessageBox(error, nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    SetDlgItemText(kSymbols, symbols);
}

// ---------------------------------------------------------------- the order

void CTradeAlertSetupDlg::ShowOrderFields(bool shown)
{
    for (UINT id : kOrderFields)
        m_controls.ShowControl(id, shown);
}

void CTradeAlertSetupDlg::ShowSummary()
{
    CString text = m_tradeInfo.GetOrderText(1);
    text.Replace("; ", "\r\n");
    SetDlgItemText(kSummary, text);
}

void CTradeAlertSetupDlg::RefillOrderSection()
{
    const bool conditional = m_tradeInfo.m_nConditionType != -1;
    m_orderForm->SetAccounts(m_tradeInfo.m_nAcctType, m_tradeInfo.m_accounts);
    if (!conditional) {
        CheckRadioButton(kStock, kConditional, static_cast<int>(m_tradeInfo.m_nSymbolType == 1 ? kOption : kStock));
        m_controls.ShowControl(kSummary, false);
        m_orderForm->SetSecurityKind(m_tradeInfo.m_nSymbolType);
        m_orderForm->LoadLeg(m_tradeInfo.m_legs[0], 0);
        m_orderForm->ShowLeg(true);
        m_orderForm->InitControls();
    } else {
        CheckRadioButton(kStock, kConditional, static_cast<int>(kConditional));
        m_orderForm->ShowLeg(false);
        m_controls.ShowControl(kSummary, true);
        ShowSummary();
        m_orderForm->FillAccountCombo();
    }
    UpdateOrderEnabling();
}

void CTradeAlertSetupDlg::UpdateOrderEnabling()
{
    const bool place = IsDlgButtonChecked(kPlaceOrder) == BST_CHECKED;
    const bool conditional = m_tradeInfo.m_nConditionType != -1;
    for (UINT id : {kStock, kOption, kConditional, kAccountLabel, kAccount, kAccounts})
        m_controls.EnableControl(id, place);
    m_controls.EnableControl(kEdit, place && conditional);
    m_controls.EnableControl(kSummary, place && conditional);
    if (conditional)
        return;
    for (UINT id : kOrderFields)
        m_controls.EnableControl(id, place);
    const bool shares = m_orderForm->GetQuantityMode(0) != 2;
    for (UINT id : {kQuantity, kQuantitySpin})
        m_controls.EnableControl(id, place && shares);
    const bool price = m_orderForm->HasPrice(0);
    for (UINT id : {kPriceLabel, kPriceSource, kPriceSpin})
        m_controls.EnableControl(id, place && price);
    m_controls.EnableControl(kPrice, place && price && m_orderForm->GetPriceSource(0) == 0);
}

void CTradeAlertSetupDlg::OnPlaceOrderClicked()
{
    UpdateOrderEnabling();
}

void CTradeAlertSetupDlg::OnStockClicked()
{
    if (m_tradeInfo.m_nConditionType == -1 && m_tradeInfo.m_nSymbolType == 0)
        return;
    m_tradeInfo = CAlertTradeInfo(0);
    RefillOrderSection();
}

void CTradeAlertSetupDlg::OnOptionClicked()
{
    if (m_tradeInfo.m_nConditionType == -1 && m_tradeInfo.m_nSymbolType == 1)
        return;
    m_tradeInfo = CAlertTradeInfo(1);
    RefillOrderSection();
}

void CTradeAlertSetupDlg::OnConditionalClicked()
{
    m_tradeInfo = CAlertTradeInfo(0);
    m_tradeInfo.m_nConditionType = 2;
    RefillOrderSection();
    OnEditConditional();
}

void CTradeAlertSetupDlg::OnEditConditional()
{
    if (m_tradeInfo.m_nConditionType == -1)
        return;
    COrderPropertySheet sheet(TRUE, this);
    const std::vector<COrderRecord> legs(m_tradeInfo.m_legs.begin(), m_tradeInfo.m_legs.end());
    sheet.InitPages(kOrderModeAlert, m_tradeInfo.m_nSymbolType, m_tradeInfo.m_nConditionType, &legs,
                    m_tradeInfo.m_nAcctType, &m_tradeInfo.m_accounts, kOriginAlert);
    COrderFormLogic& logic = sheet.GetConditionalPage().GetLogic();
    logic.SetEntryQuantityAllowed(m_bExitAlert != 0);
    if (sheet.DoModal() == IDOK) {
        m_tradeInfo.m_nConditionType = logic.GetConditionalType();
        m_tradeInfo.m_nSymbolType = logic.GetSecurityKind();
        for (int i = 0; i < COrderFormLogic::kLegCount; ++i)
            logic.StoreLeg(i, m_tradeInfo.m_legs[static_cast<size_t>(i)]);
    }
    ShowSummary();
}

void CTradeAlertSetupDlg::OnOrderTypeChange()
{
    m_orderForm->OnOrderTypeChanged(0);
    UpdateOrderEnabling();
}

void CTradeAlertSetupDlg::OnPriceSource()
{
    m_orderForm->OnPriceSourceButton(0);
    UpdateOrderEnabling();
}

void CTradeAlertSetupDlg::OnQuantityMode()
{
    m_orderForm->CycleQuantityMode(0);
    UpdateOrderEnabling();
}

void CTradeAlertSetupDlg::OnAccounts()
{
    m_orderForm->ChooseAccounts();
}

void CTradeAlertSetupDlg::OnAccountChange()
{
    m_orderForm->OnAccountChanged();
}

LRESULT CTradeAlertSetupDlg::OnLegQuote(WPARAM, LPARAM)
{
    return 0;  // the order part of an alert follows no quotes
}

// ---------------------------------------------------------------- sound

void CTradeAlertSetupDlg::UpdateSoundEnabling()
{
    const bool on = IsDlgButtonChecked(kPlaySound) == BST_CHECKED;
    for (UINT id : {kSoundPath, kBrowseSound, kTestSound})
        m_controls.EnableControl(id, on);
}

void CTradeAlertSetupDlg::OnPlaySoundClicked()
{
    UpdateSoundEnabling();
}

void CTradeAlertSetupDlg::OnBrowseSound()
{
    CString path;
    if (ChooseFileToOpen("wav", "Wav Files (*.wav)|*.wav||", "/Sounds", path))
        SetDlgItemText(kSoundPath, path);
}

void CTradeAlertSetupDlg::OnTestSound()
{
    const CString path = GetDlgItemText(kSoundPath);
    switch (PlaySoundFile(path)) {
    case ESoundResult::kPlaying: break;
    case ESoundResult::kNoDevice:
        MessageBox("This computer has no sound output; alert sounds are not played.", nullptr,
                   MB_OK | MB_ICONINFORMATION);
        break;
    case ESoundResult::kMissingFile:
    case ESoundResult::kUnreadable:
        MessageBox("The sound file " + path + " cannot be played.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        break;
    }
}
