#include "configtool/V_ActionWord.h"
#include "configtool/resource.h"

IMPLEMENT_DYNAMIC(CV_ActionWord1, CV_Common)
IMPLEMENT_DYNAMIC(CV_ActionWord2, CV_ActionWord1)

namespace {
CString LoadCaption(UINT id) {
    CString text;
    if (id) text.LoadString(id);
    return text;
}

// One column's controls, in the order of the word's bits.
struct ColumnIds {
    int action1, action2, egress1, egress2, sensor1, sensor2, registration;
};
const ColumnIds FirstColumn = {IDC_ACTION1_RELAY1, IDC_ACTION1_RELAY2, IDC_EGRESS1_RELAY1, IDC_EGRESS1_RELAY2,
                               IDC_SENSOR1_RELAY1, IDC_SENSOR1_RELAY2, IDC_REGISTRATION1};
const ColumnIds SecondColumn = {IDC_ACTION2_RELAY1, IDC_ACTION2_RELAY2, IDC_EGRESS2_RELAY1, IDC_EGRESS2_RELAY2,
                                IDC_SENSOR2_RELAY1, IDC_SENSOR2_RELAY2, IDC_REGISTRATION2};

void ExchangeColumn(CDataExchange* dx, const ColumnIds& ids, ConfigWords::ActionFields& f) {
    DDX_Check(dx, ids.registration, f.registration);
    DDX_CBIndex(dx, ids.action1, f.relay1Action);
    DDX_CBIndex(dx, ids.action2, f.relay2Action);
    DDX_CBIndex(dx, ids.sensor1, f.relay1Sensor);
    DDX_CBIndex(dx, ids.sensor2, f.relay2Sensor);
    DDX_CBIndex(dx, ids.egress1, f.relay1Egress);
    DDX_CBIndex(dx, ids.egress2, f.relay2Egress);
}
}  // namespace

// ---- one word ------------------------------------------------------------------

CV_ActionWord1::CV_ActionWord1(UINT templateId, UINT titleId, UINT captionId, int location)
    : CV_Common(templateId, titleId), m_strCaption1(LoadCaption(captionId)), m_nLocation1(location) {}

void CV_ActionWord1::DoDataExchange(CDataExchange* dx) {
    CV_Common::DoDataExchange(dx);
    DDX_Text(dx, IDC_CAPTION1, m_strCaption1);
    ExchangeColumn(dx, FirstColumn, m_first);
}

void CV_ActionWord1::OnInitialUpdate() {
    CV_Common::OnInitialUpdate();
    m_cbEgress1Relay1.SubclassDlgItem(IDC_EGRESS1_RELAY1, this);
    m_cbEgress1Relay2.SubclassDlgItem(IDC_EGRESS1_RELAY2, this);
    m_cbSensor1Relay1.SubclassDlgItem(IDC_SENSOR1_RELAY1, this);
    m_cbSensor1Relay2.SubclassDlgItem(IDC_SENSOR1_RELAY2, this);
    m_labelRelay1.SubclassDlgItem(IDC_LABEL_RELAY1, this);
    m_labelRelay2.SubclassDlgItem(IDC_LABEL_RELAY2, this);
    m_labelRegistration.SubclassDlgItem(IDC_LABEL_REGISTRATION, this);
}

void CV_ActionWord1::ResetPage() {
    CV_Common::ResetPage();
    StoreWord(m_nLocation1, ConfigWords::ActionWordDefault);
    CV_ActionWord1::LoadPageFromDocument();
}

void CV_ActionWord1::SavePageToDocument() {
    CV_Common::SavePageToDocument();
    if (UpdateData(TRUE)) StoreWord(m_nLocation1, ConfigWords::PackAction(m_first));
}

void CV_ActionWord1::LoadPageFromDocument() {
    if (!m_pDoc) return;
    m_first = ConfigWords::UnpackAction(DocumentWord(m_nLocation1));
    UpdateData(FALSE);
}

BEGIN_MESSAGE_MAP(CV_ActionWord1, CV_Common)
    ON_CBN_SELCHANGE(IDC_ACTION1_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_ACTION1_RELAY2, OnEdit)
    ON_CBN_SELCHANGE(IDC_EGRESS1_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_EGRESS1_RELAY2, OnEdit)
    ON_CBN_SELCHANGE(IDC_SENSOR1_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_SENSOR1_RELAY2, OnEdit)
    ON_BN_CLICKED(IDC_REGISTRATION1, OnEdit)
END_MESSAGE_MAP()

// ---- two words -----------------------------------------------------------------

CV_ActionWord2::CV_ActionWord2(UINT templateId, UINT titleId, UINT caption1Id, UINT caption2Id, int location1,
                               int location2)
    : CV_ActionWord1(templateId, titleId, caption1Id, location1), m_strCaption2(LoadCaption(caption2Id)),
      m_nLocation2(location2) {}

void CV_ActionWord2::DoDataExchange(CDataExchange* dx) {
    CV_ActionWord1::DoDataExchange(dx);
    DDX_Text(dx, IDC_CAPTION2, m_strCaption2);
    ExchangeColumn(dx, SecondColumn, m_second);
}

void CV_ActionWord2::OnInitialUpdate() {
    CV_ActionWord1::OnInitialUpdate();
    m_cbEgress2Relay1.SubclassDlgItem(IDC_EGRESS2_RELAY1, this);
    m_cbEgress2Relay2.SubclassDlgItem(IDC_EGRESS2_RELAY2, this);
    m_cbSensor2Relay1.SubclassDlgItem(IDC_SENSOR2_RELAY1, this);
    m_cbSensor2Relay2.SubclassDlgItem(IDC_SENSOR2_RELAY2, this);
}

void CV_ActionWord2::ResetPage() {
    CV_ActionWord1::ResetPage();
    StoreWord(m_nLocation2, ConfigWords::ActionWordDefault);
    LoadPageFromDocument();
}

void CV_ActionWord2::SavePageToDocument() {
    CV_ActionWord1::SavePageToDocument();  // the controls are read there
    StoreWord(m_nLocation2, ConfigWords::PackAction(m_second));
}

void CV_ActionWord2::LoadPageFromDocument() {
    if (!m_pDoc) return;
    m_second = ConfigWords::UnpackAction(DocumentWord(m_nLocation2));
    CV_ActionWord1::LoadPageFromDocument();
}

BEGIN_MESSAGE_MAP(CV_ActionWord2, CV_ActionWord1)
    ON_CBN_SELCHANGE(IDC_ACTION2_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_ACTION2_RELAY2, OnEdit)
    ON_CBN_SELCHANGE(IDC_EGRESS2_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_EGRESS2_RELAY2, OnEdit)
    ON_CBN_SELCHANGE(IDC_SENSOR2_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_SENSOR2_RELAY2, OnEdit)
    ON_BN_CLICKED(IDC_REGISTRATION2, OnEdit)
END_MESSAGE_MAP()

// ---- the pages -------------------------------------------------------------------

#define ORIMBEL_TWO_WORD_PAGE(name, title, caption1, caption2, location1, location2) \
    IMPLEMENT_DYNCREATE(name, CV_ActionWord2)                                         \
    name::name() : CV_ActionWord2(IDD_TWO_WORDS, title, caption1, caption2, location1, location2) {}
#define ORIMBEL_ONE_WORD_PAGE(name, title, location) \
    IMPLEMENT_DYNCREATE(name, CV_ActionWord1)         \
    name::name() : CV_ActionWord1(IDD_ONE_WORD, title, 0, location) {}

ORIMBEL_TWO_WORD_PAGE(CV_Reader1, IDS_READER1, IDS_T1, IDS_T1A, 497, 498)
ORIMBEL_TWO_WORD_PAGE(CV_Reader2, IDS_READER2, IDS_T2, IDS_T2A, 499, 500)
ORIMBEL_TWO_WORD_PAGE(CV_Sensors, IDS_SENSOR, IDS_OPENED, IDS_CLOSED, 501, 502)
ORIMBEL_TWO_WORD_PAGE(CV_Egress, IDS_EGRESS, IDS_OPENED, IDS_CLOSED, 503, 504)
ORIMBEL_TWO_WORD_PAGE(CV_Alarm, IDS_ALARM, IDS_OPENED, IDS_CLOSED, 505, 506)
ORIMBEL_ONE_WORD_PAGE(CV_ForcedEntry, IDS_FORCED_ENTRY, 507)
ORIMBEL_ONE_WORD_PAGE(CV_DOTL, IDS_DOOR_OPEN_TOO_LONG, 508)
