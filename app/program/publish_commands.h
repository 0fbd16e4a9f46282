#pragma once

namespace tarvo {

class FrmMain;
class IpPublisher;

// The menu entries and the timer of the IP page and the address copies.
void ConnectPublishCommands(FrmMain &window, IpPublisher &publisher);

} // namespace tarvo
