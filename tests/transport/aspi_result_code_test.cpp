// How the status that ASPI leaves in a request block becomes an AspiResultCode, and what
// the block looks like when it is handed over. A scripted module stands in for ASPI here,
// so that every combination of status fields can be produced.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/transport/wrapped_machine.h"
#include "transport/aspi_transport.h"

namespace {

// What the scripted module answers every SC_EXEC_SCSI_CMD with, and what it was sent.
struct Script {
    BYTE status = SS_COMP;
    BYTE haStat = 0;
    BYTE targStat = 0;
    BYTE sense[SENSE_LEN] = {};
    std::vector<SRB_ExecSCSICmd> received;  // each block as it arrived
};
Script* g_script = nullptr;

DWORD ScriptedSupportInfo() { return (SS_COMP << 8) | 1; }

DWORD ScriptedSend(LPSRB srb) {
    auto* block = static_cast<SRB_ExecSCSICmd*>(srb);
    if (block->SRB_Cmd != SC_EXEC_SCSI_CMD) return block->SRB_Status = SS_INVALID_CMD;
    g_script->received.push_back(*block);
    block->SRB_HaStat = g_script->haStat;
    block->SRB_TargStat = g_script->targStat;
    std::memcpy(block->SenseArea, g_script->sense, sizeof(g_script->sense));
    block->SRB_Status = g_script->status;
    SetEvent(static_cast<HANDLE>(block->SRB_PostProc));
    return block->SRB_Status;
}

class ScriptedModule : public machine::Module {
  public:
    FARPROC Proc(const std::string& name) override {
        if (name == "GetASPI32SupportInfo") return AsFarProc(&ScriptedSupportInfo);
        if (name == "SendASPI32Command") return AsFarProc(&ScriptedSend);
        return nullptr;
    }

  private:
    template <class F>
    static FARPROC AsFarProc(F* f) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
    }
};

class ScriptedAspiMachine : public WrappedMachine {
  public:
    ScriptedAspiMachine() : WrappedMachine("[machine]\nplatform = 1\n") {}
    std::shared_ptr<machine::Module> LoadModule(const std::string&, DWORD&) override {
        return std::make_shared<ScriptedModule>();
    }
};

// Fields of the packed request block are read by value: a reference to them may be
// misaligned.
template <class T>
T Field(T value) {
    return value;
}

class ScriptedAspi : public ::testing::Test {
  protected:
    void SetUp() override { g_script = &script; }
    void TearDown() override {
        FreeLibrary(module);
        g_script = nullptr;
    }

    AspiResultCode Run(CAspiTransport& transport) {
        AspiRequest request;
        request.cdbLength = 6;  // TEST UNIT READY
        return transport.Execute(request);
    }

    Script script;
    machine::sim::ScopedMachine scope{std::make_unique<ScriptedAspiMachine>()};
    HMODULE module = LoadLibraryA("WNASPI32.DLL");
};

TEST_F(ScriptedAspi, ResultCodeFollowsTheFirstMatchingRow) {
    constexpr BYTE kGood = 0x00, kCheck = 0x02, kBusy = 0x08, kConflict = 0x18;
    struct Case {
        BYTE status, haStat, targStat, senseByte2;
        AspiResultCode code;
    };
    const Case cases[] = {
        {SS_COMP, 0, kGood, 0, 0},
        {SS_COMP, HASTAT_SEL_TO, kCheck, 5, 0},  // completed: nothing else counts
        {SS_ABORTED, 0, kGood, 0, 16},
        {SS_ABORT_FAIL, 0, kGood, 0, 16},
        {SS_INVALID_CMD, 0, kGood, 0, 16},
        {SS_INVALID_HA, 0, kGood, 0, 16},
        {SS_NO_DEVICE, 0, kGood, 0, 16},
        {SS_ERR, HASTAT_SEL_TO, kGood, 0, 32},
        {SS_ERR, HASTAT_DO_DU, kCheck, 5, 32},  // the adapter's failure comes first
        {SS_ERR, 0, kGood, 0, 16},
        {SS_ERR, 0, kGood, 5, 16},  // sense without CHECK CONDITION is not looked at
        {SS_ERR, 0, kBusy, 0, 48},
        {SS_ERR, 0, kConflict, 0, 49},
        {SS_ERR, 0, kCheck, 0x0, 0},
        {SS_ERR, 0, kCheck, 0x1, 0},
        {SS_ERR, 0, kCheck, 0x2, 50},
        {SS_ERR, 0, kCheck, 0x3, 51},
        {SS_ERR, 0, kCheck, 0x4, 52},
        {SS_ERR, 0, kCheck, 0x5, 53},
        {SS_ERR, 0, kCheck, 0x6, 54},
        {SS_ERR, 0, kCheck, 0x7, 55},
        {SS_ERR, 0, kCheck, 0x8, 56},
        {SS_ERR, 0, kCheck, 0x9, -1},
        {SS_ERR, 0, kCheck, 0xA, -1},
        {SS_ERR, 0, kCheck, 0xB, 57},
        {SS_ERR, 0, kCheck, 0xC, -1},
        {SS_ERR, 0, kCheck, 0xF, -1},
        {SS_ERR, 0, kCheck, 0xE5, 53},  // ILI/EOM/filemark bits above the key
        {SS_ERR, 0, 0x28, 0, -1},       // TASK SET FULL
        {SS_ERR, 0, 0x04, 0, -1},       // CONDITION MET
    };
    CAspiTransport transport(module, 0, 0, 0);
    ASSERT_EQ(transport.IsUsable(), 1);
    for (const Case& c : cases) {
        script.status = c.status;
        script.haStat = c.haStat;
        script.targStat = c.targStat;
        script.sense[2] = c.senseByte2;
        EXPECT_EQ(Run(transport), c.code)
            << "status " << int(c.status) << " ha " << int(c.haStat) << " target "
            << int(c.targStat) << " sense byte 2 " << int(c.senseByte2);
    }
}

TEST_F(ScriptedAspi, TheRequestBlockCarriesTheRequestAndZerosElsewhere) {
    CAspiTransport transport(module, 0, 0, 0);
    transport.SetAddress(2, 5, 1);
    BYTE buffer[44];
    EXPECT_EQ(transport.Inquiry(buffer, sizeof(buffer)), 0);

    ASSERT_EQ(script.received.size(), 1u);
    const SRB_ExecSCSICmd& b = script.received[0];
    EXPECT_EQ(Field(b.SRB_Cmd), SC_EXEC_SCSI_CMD);
    EXPECT_EQ(Field(b.SRB_Status), SS_PENDING);
    EXPECT_EQ(Field(b.SRB_HaId), 2);
    EXPECT_EQ(Field(b.SRB_Target), 5);
    EXPECT_EQ(Field(b.SRB_Lun), 1);
    EXPECT_EQ(Field(b.SRB_Flags), SRB_DIR_IN | SRB_EVENT_NOTIFY);
    EXPECT_EQ(Field(b.SRB_BufLen), 44u);
    EXPECT_EQ(Field(b.SRB_BufPointer), buffer);
    EXPECT_EQ(Field(b.SRB_SenseLen), SENSE_LEN);
    EXPECT_EQ(Field(b.SRB_CDBLen), 6);
    EXPECT_NE(Field(b.SRB_PostProc), nullptr);
    EXPECT_EQ(Field(b.SRB_Hdr_Rsvd), 0u);
    EXPECT_EQ(Field(b.SRB_Rsvd1), 0);
    EXPECT_EQ(Field(b.SRB_HaStat), 0);
    EXPECT_EQ(Field(b.SRB_TargStat), 0);
    const BYTE cdb[16] = {0x12, 0, 0, 0, 0x2C, 0};
    EXPECT_EQ(std::memcmp(b.CDBByte, cdb, sizeof(cdb)), 0);
    const BYTE zeros[20] = {};
    EXPECT_EQ(std::memcmp(b.SRB_Rsvd2, zeros, sizeof(b.SRB_Rsvd2)), 0);
    EXPECT_EQ(std::memcmp(b.SenseArea, zeros, sizeof(b.SenseArea)), 0);
}

TEST_F(ScriptedAspi, DirectionFlagsAreKeptAndEventNotificationAdded) {
    CAspiTransport transport(module, 0, 0, 0);
    for (BYTE flags : {BYTE{0}, BYTE{SRB_DIR_IN}, BYTE{SRB_DIR_OUT}}) {
        AspiRequest request;
        request.flags = flags;
        request.cdbLength = 10;
        transport.Execute(request);
        EXPECT_EQ(Field(script.received.back().SRB_Flags), flags | SRB_EVENT_NOTIFY);
        EXPECT_EQ(Field(script.received.back().SRB_CDBLen), 10);
    }
}

}  // namespace
