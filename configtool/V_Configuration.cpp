#include "configtool/V_Configuration.h"
#include "configtool/resource.h"

IMPLEMENT_DYNCREATE(CV_Configuration, CV_Common)

CV_Configuration::CV_Configuration()
    : CV_Common(IDD_CONFIGURATION, IDS_CONFIGURATION), m_nLocation(ConfigWords::FirstLocation) {}

void CV_Configuration::DoDataExchange(CDataExchange* dx) {
    CV_Common::DoDataExchange(dx);
    DDX_CBIndex(dx, IDC_MASTER, m_fields.master);
    DDX_CBIndex(dx, IDC_DOOR_OPEN_TIMEOUT, m_fields.doorOpenTimeout);
    DDX_CBIndex(dx, IDC_RELAY1_TIME, m_fields.relay1Time);
    DDX_CBIndex(dx, IDC_RELAY2_TIME, m_fields.relay2Time);
    DDX_CBIndex(dx, IDC_READER1_LED, m_fields.reader1Led);
    DDX_CBIndex(dx, IDC_READER2_LED, m_fields.reader2Led);
    DDX_CBIndex(dx, IDC_ROLLOVER, m_fields.rollover);
}

void CV_Configuration::OnInitialUpdate() {
    CV_Common::OnInitialUpdate();
    m_cbReader1Led.AttachToItem(IDC_READER1_LED, this);
    m_cbReader2Led.AttachToItem(IDC_READER2_LED, this);
}

void CV_Configuration::ResetPage() {
    CV_Common::ResetPage();
    StoreWord(m_nLocation, ConfigWords::ConfigurationWordDefault);
    LoadPageFromDocument();
}

void CV_Configuration::SavePageToDocument() {
    CV_Common::SavePageToDocument();
    if (UpdateData(TRUE)) StoreWord(m_nLocation, ConfigWords::PackConfiguration(m_fields));
}

void CV_Configuration::LoadPageFromDocument() {
    if (!m_pDoc) return;
    m_fields = ConfigWords::UnpackConfiguration(DocumentWord(m_nLocation));
    UpdateData(FALSE);
}

BEGIN_MESSAGE_MAP(CV_Configuration, CV_Common)
    ON_CBN_SELCHANGE(IDC_MASTER, OnEdit)
    ON_CBN_SELCHANGE(IDC_DOOR_OPEN_TIMEOUT, OnEdit)
    ON_CBN_SELCHANGE(IDC_RELAY1_TIME, OnEdit)
    ON_CBN_SELCHANGE(IDC_RELAY2_TIME, OnEdit)
    ON_CBN_SELCHANGE(IDC_READER1_LED, OnEdit)
    ON_CBN_SELCHANGE(IDC_READER2_LED, OnEdit)
    ON_CBN_SELCHANGE(IDC_ROLLOVER, OnEdit)
END_MESSAGE_MAP()
