// The record log lines of the device records: member order by name hash, numbers as logged.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/protocol/device_records.h"
#include "json_test_util.h"
#include "support/json/json_rtti.h"

namespace {

template <class T>
std::string Line(const T& record)
{
    TJsonRttiContext ctx;
    return U8(ctx.MarshalToJson(record)->AsJSon(false, true));
}

TEST(RecordLog, GoldenLines)
{
    TPWMReport pwm{};
    pwm.mode = 1;
    pwm.freq = 16800;
    pwm.period = -1;
    EXPECT_EQ(Line(pwm), "{\"period\":65535,\"mode\":1,\"freq\":16800}");

    TCalculatedData calc{};
    calc.totalForce = 0.1f;
    calc.stopForce = 0;
    calc.totalForceGain = 1;
    calc.userForce = -2.5f;
    EXPECT_EQ(Line(calc), "{\"stopForce\":0,\"totalForceGain\":1,\"userForce\":-2.5,\"totalForce\":0.100000001490116}");
}

TEST(RecordLog, KeyOrderOfEveryLoggedRecord)
{
    struct Row {
        std::string line;
        const char* keys;
    };
    const Row rows[] = {
        {Line(TMotorConfig{}), "PPR,reverseEncoder,sampleTime,absEncoder,Kp,Ki,Kd,ctrlDirection,zIndex,pwmMode,pwmFreq,pidMode"},
        {Line(TWheelBaseConfig{}),
         "sineGain,peakGain,frictionGain,sawtoothUpGain,minForce,qFactor,springGain,stopForce,constantGain,overAllFilter,"
         "enableTelemetryFfb,sawtoothDownGain,rampGain,totalForceGain,frictionFilter,damperGain,steeringAngle,"
         "damperFilter,squareGain,triangleGain,inertiaFilter,inertiaGain"},
        {Line(TUserEffectConfig{}),
         "damperForce,frictionGain,enableFriction,enableDamper,springGain,eCoefficent,frictionForce,inertiaForce,eOffset,"
         "enableSpring,damperGain,enableInertia,eGain,eSaturation,springForce,inertiaGain"},
        {Line(TEncoderReport{}), "PPR,CPR,CurrentPos,MaxPos,zNegativePos,zPositivePos,Speed"},
        {Line(TPWMReport{}), "period,mode,freq"},
        {Line(TCalculatedData{}), "stopForce,totalForceGain,userForce,totalForce"},
        {Line(TFFBReport{}),
         "sineForce,damperForce,triangleForce,squareForce,frictionForce,sawDownForce,inertiaForce,rampForce,totalForce,"
         "sawUpForce,constantForce,springForce"},
    };
    for (const Row& r : rows) {
        IJsonObject v = JsonParse(J(r.line));
        ASSERT_TRUE(v) << r.line;
        std::string keys;
        TJsonObjectIter it;
        for (bool ok = JsonFindFirst(v, it); ok; ok = JsonFindNext(it)) keys += (keys.empty() ? "" : ",") + U8(it.key);
        JsonFindClose(it);
        EXPECT_EQ(keys, r.keys);
        EXPECT_EQ(r.line.find(' '), std::string::npos);
    }
}

TEST(RecordLog, FullMotorAndEncoderLines)
{
    TMotorConfig m{};
    m.pwmMode = 2;
    m.pwmFreq = 20000;
    m.absEncoder = true;
    m.zIndex = false;
    m.reverseEncoder = true;
    m.PPR = 4000000000u;
    m.pidMode = 1;
    m.ctrlDirection = 0;
    m.Kp = 1.5f;
    m.Ki = 0.1f;
    m.Kd = -1e-5f;
    m.sampleTime = 10;
    reinterpret_cast<uint8_t&>(m.zIndex) = 2;   // any byte but 0 is true
    EXPECT_EQ(Line(m),
              "{\"PPR\":-294967296,\"reverseEncoder\":true,\"sampleTime\":10,\"absEncoder\":true,\"Kp\":1.5,"
              "\"Ki\":0.100000001490116,\"Kd\":-9.99999974737875E-6,\"ctrlDirection\":0,\"zIndex\":true,"
              "\"pwmMode\":2,\"pwmFreq\":20000,\"pidMode\":1}");

    TEncoderReport e{};
    e.CurrentPos = -123;
    e.MaxPos = 65536;
    e.Speed = 1e20f;
    e.zPositivePos = 1;
    e.zNegativePos = -1;
    e.PPR = 2048;
    e.CPR = 8192;
    EXPECT_EQ(Line(e),
              "{\"PPR\":2048,\"CPR\":8192,\"CurrentPos\":-123,\"MaxPos\":65536,\"zNegativePos\":-1,\"zPositivePos\":1,"
              "\"Speed\":1.00000002004088E20}");
}

TEST(RecordLog, NonFiniteSinglesKeepTheLineReadable)
{
    TFFBReport f{};
    f.totalForce = std::numeric_limits<float>::infinity();
    f.springForce = std::numeric_limits<float>::quiet_NaN();
    f.constantForce = -0.25f;
    std::string line = Line(f);
    EXPECT_EQ(line,
              "{\"sineForce\":0,\"damperForce\":0,\"triangleForce\":0,\"squareForce\":0,\"frictionForce\":0,"
              "\"sawDownForce\":0,\"inertiaForce\":0,\"rampForce\":0,\"totalForce\":null,\"sawUpForce\":0,"
              "\"constantForce\":-0.25,\"springForce\":null}");
    EXPECT_TRUE(ParseString(J(line), true, false));
}

}  // namespace
