// The maker's addresses the program shows and opens: the web site, the mail addresses,
// the contact number and the feedback endpoint's host. Placeholders under the reserved
// example domain.
#pragma once

inline constexpr char MakerWebAddress[] = "http://www.qhwbp.example.com";
inline constexpr char MakerSalesMail[] = "sales@qhwbp.example.com";
inline constexpr char MakerSupportMail[] = "support@qhwbp.example.com";
// The number the feedback form names when a post fails.
inline constexpr char MakerContactNumber[] = "10000";
