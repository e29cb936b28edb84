#include "ui/Captions.h"

namespace tavrik::ui {

const std::array<CaptionRow, 29>& CaptionTable() {
    static const std::array<CaptionRow, 29> table{{
        {"Label4", "Radio Count:", "写入台数："},
        {"Label5", "Radio No.:", "当前台数："},
        {"Command4", "&MulWrite", "写入多台(&M)"},
        {"Command1", "&Read", "读出(&R)"},
        {"Command2", "&Write", "写入(&W)"},
        {"Command3", "E&xit", "退出(&X)"},
        {"Label2", "Area Code", "销售区号"},
        {"Label3", "Com Port:", "串口选择:"},
        {"Label1_0", "Radio Type", "机型"},
        {"Label1_1", "Frequency", "频段"},
        {"Label1_2", "Serial Number", "序列号"},
        {"Label1_3", "Producted Date", "出厂日期"},
        {"Label1_4", "Maintained Date", "维修日期"},
        {"Label1_5", "Maintained Description", "维修原因"},
        {"Label1_6", "RF FW", "主板固件"},
        {"Label1_14", "LCD FW", "LCD固件"},
        {"Label1_7", "Manufacture Code", "生产批号"},
        {"Label1_8", "User Code", "客户代码"},
        {"Label1_9", "Dealer Code", "经销商代码"},
        {"Label1_10", "Stock Date", "入库时间"},
        {"Label1_11", "Sell Date", "销售时间"},
        {"Label1_12", "Seller", "经手人"},
        {"Label1_13", "Program PassWord", "编程密码"},
        {"Frame1", "Radio Setting", "机器设置"},
        {"Frame2", "Dealer Information", "经销商信息"},
        {"Check1", "Factory", "工厂模式"},
        {"Check2", "Stun", "遥晕"},
        {"Check3", "Kill", "遥毙"},
        {"Check8", "Freq. Set", "频段设置"},
    }};
    return table;
}

QString MulWriteButtonCaption(qint16 languageFlag, bool running) {
    if (languageFlag == 1) {
        return running ? QStringLiteral("Stop &MulWrite") : QStringLiteral("&MulWrite");
    }
    return running ? QStringLiteral("停止写入多台(&M)") : QStringLiteral("写入多台(&M)");
}

QString MulWriteWritingStatus(qint16 languageFlag) {
    return languageFlag == 2 ? QStringLiteral("正在写设置数据...")
                             : QStringLiteral("Writting Data...");
}

} // namespace tavrik::ui
