// Recorded ping outputs: Windows in English and in Chinese (GBK, as the literals compile), and iputils.
#pragma once

#include <string>

namespace pingsamples {

inline std::string WindowsEnglish(int nLoss, int nLost, int nAverage) {
    return "\r\nPinging 10.1.2.3 with 32 bytes of data:\r\n"
           "Reply from 10.1.2.3: bytes=32 time=10ms TTL=57\r\n"
           "Reply from 10.1.2.3: bytes=32 time=12ms TTL=57\r\n"
           "Request timed out.\r\n"
           "Reply from 10.1.2.3: bytes=32 time=11ms TTL=57\r\n"
           "\r\nPing statistics for 10.1.2.3:\r\n"
           "    Packets: Sent = 4, Received = " + std::to_string(4 - nLost) + ", Lost = " + std::to_string(nLost) +
           " (" + std::to_string(nLoss) + "% loss),\r\n"
           "Approximate round trip times in milli-seconds:\r\n"
           "    Minimum = 10ms, Maximum = 12ms, Average = " + std::to_string(nAverage) + "ms\r\n";
}

inline std::string WindowsEnglishAllLost() {
    return "\r\nPinging 10.9.9.9 with 32 bytes of data:\r\n"
           "Request timed out.\r\nRequest timed out.\r\nRequest timed out.\r\nRequest timed out.\r\n"
           "\r\nPing statistics for 10.9.9.9:\r\n"
           "    Packets: Sent = 4, Received = 0, Lost = 4 (100% loss),\r\n";
}

inline std::string WindowsChinese(int nLoss, int nAverage) {
    return "\r\n正在 Ping 10.1.2.3 具有 32 字节的数据:\r\n"
           "来自 10.1.2.3 的回复: 字节=32 时间=10ms TTL=57\r\n"
           "来自 10.1.2.3 的回复: 字节=32 时间=12ms TTL=57\r\n"
           "\r\n10.1.2.3 的 Ping 统计信息:\r\n"
           "    数据包: 已发送 = 4，已接收 = 4，丢失 = 0 (" + std::to_string(nLoss) + "% 丢失)，\r\n"
           "往返行程的估计时间(以毫秒为单位):\r\n"
           "    最短 = 10ms，最长 = 12ms，平均 = " + std::to_string(nAverage) + "ms\r\n";
}

inline std::string Iputils(const std::string& strSummary, const std::string& strRtt) {
    std::string out = "PING 127.0.0.1 (127.0.0.1) 56(84) bytes of data.\n"
                      "64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=0.045 ms\n"
                      "64 bytes from 127.0.0.1: icmp_seq=2 ttl=64 time=0.068 ms\n"
                      "\n--- 127.0.0.1 ping statistics ---\n" + strSummary + "\n";
    if (!strRtt.empty()) out += strRtt + "\n";
    return out;
}

}  // namespace pingsamples
