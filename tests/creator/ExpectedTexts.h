#pragma once

#include <string>

namespace ondrix::test {

// The generator's fixed texts, typed out by hand one line to a literal, so that no expected
// value comes from the code under test.

inline std::string ExpectedCss(const std::string& colour)
{
    return "body{\r"
           "\tbackground-color: " +
           colour +
           ";\r"
           "\tbackground-position: center;\r"
           "\tbackground-repeat: no-repeat;\r"
           "\tborder: 0px;\r"
           "        margin-top :0px;\r"
           "        margin-left :0px;\r"
           "       margin-right:0px;\r"
           "        margin-bottom:0px;\r"
           "}\r"
           "img{\r"
           "position: absolute;\tleft: 0;\r"
           "\tright: 0;\r"
           "}\r"
           "object{\r"
           "position: absolute;\tborder: 0px;\r"
           "\r"
           "        margin-top :0px;\r"
           "        margin-left :0px;  \r"
           "        margin-right:0px;     \r"
           "        margin-bottom:0px;       \r"
           "}\r\n";
}

inline const char* const kExpectedResol =
    "var height=0;\r\n"
    "              var width=0;\r\n"
    "              if (self.screen)\r\n"
    "              {width = screen.width;\r\n"
    "              height = screen.height;\r\n"
    "              }else\r\n"
    "              if (self.java)\r\n"
    "              {                \r\n"
    "                var jkit = java.awt.Toolkit.getDefaultToolkit();\r\n"
    "                var scrsize = jkit.getScreenSize();\r\n"
    "                width = scrsize.width;\r\n"
    "                height = scrsize.height; }\r\n"
    "                function WriteWH(PW, PH){\r\n"
    "                var w = PW/100*width;\r\n"
    "                var h = PH/100*height;  \r\n"
    "                document.writeln(\"WIDTH=\",w,\" HEIGHT=\",h);\r\n"
    "                return true;\r\n"
    "                }\r\n"
    "                function WriteLT(PL, PT){\r\n"
    "                var l = PL/100*width;\r\n"
    "                var t = PT/100*height;  \r\n"
    "                document.writeln(\" style='left:\",l,\";top:\",t,\";' \");\r\n"
    "                return true;\r\n"
    "                }\r\n";

// The start page of sea.swf, maroon, quality "high",
// 50 x 50 percent of a 1024 x 768 screen, placed at 25 / 10 percent.
inline std::string ExpectedSeaPage(const std::string& pictureName)
{
    std::string page = "<html>\r\n"
                       "<head>\r\n"
                       "<SCRIPT language=JavaScript src=\"resol.js\"> </SCRIPT>\r\n"
                       "<style>\r\n"
                       "@import url(\"css.css\");\r\n"
                       "body{background-color:#800000;}\r\n"
                       "</style>\r\n"
                       "</head>\r\n"
                       "<body>\r\n";
    if (!pictureName.empty())
        page += "<img src=\"" + pictureName + "\" width=100% height=100%>\r\n";
    page += "<script language=\"JavaScript\">\r\n"
            "<!--\r\n"
            "document.writeln('<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" "
            "codebase=\"http://download.quorvane.example/pub/shockwave/cabs/flash/"
            "swflash.cab#version=5,0,0,0\"');\r\n"
            "WriteLT(25,10)\r\n"
            "WriteWH(50,50)\r\n"
            "document.writeln('>');\r\n"
            "//-->\r\n"
            "</script>\r\n"
            "<param name=movie value=\"sea.swf\">\r\n"
            "<param name=quality value=high>\r\n"
            "<param name=menu value=false>\r\n"
            "<param name=bgcolor value=#800000>\r\n"
            "<embed src=\"sea.swf\" quality=high menu=false\r\n"
            "bgcolor=#800000 \r\n"
            "pluginspage=\"http://www.quorvane.example/shockwave/download/"
            "index.cgi?P1_Prod_Version=ShockwaveFlash\" type=\"application/x-shockwave-flash\" "
            "width=\"512\" height=\"384\"></embed></object>\r\n"
            "</body>\r\n"
            "</html>\r\n";
    return page;
}

} // namespace ondrix::test
