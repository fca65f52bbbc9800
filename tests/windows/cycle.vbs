' cscript cycle.vbs CYCLE PORT: runs the steps of a cycle file (see cycle.txt) through the
' Windows server, as a host does, and prints each result as ksv940-cycle prints it from the Linux
' build. Every call is checked; the first failure ends the script with exit code 1, except in a
' step marked "fails", whose failure is printed and the cycle goes on.
Option Explicit
On Error Resume Next

Dim vti, fso, stream, words, sLine, test, port, opts, mayFail, n
Set fso = CreateObject("Scripting.FileSystemObject")
Set stream = fso.OpenTextFile(WScript.Arguments(0))
port = CInt(WScript.Arguments(1))
Set vti = CreateObject("OrvexKSV940vti.CKsvVti")
Check "CreateObject"
Set opts = vti.testOptions
Check "testOptions"

Sub Check(sWhat)
  If Failed(sWhat) Then WScript.Quit 1
End Sub

' Whether the last call failed, printed as ksv940-cycle prints it; ends the script unless the step
' may fail.
Function Failed(sWhat)
  Dim fFailed
  fFailed = Err.Number <> 0
  If fFailed And mayFail Then
    WScript.Echo "error " & Err.Number & " " & Err.Source & " " & Err.Description
    Err.Clear
  ElseIf fFailed Then
    WScript.Echo "error " & Err.Number & " " & Err.Source & " " & Err.Description & " (" & sWhat & ")"
    WScript.Quit 1
  End If
  Failed = fFailed
End Function

' Wine's script engine has no Execute: each option by its name.
Sub SetOption(sName, lValue)
  Select Case sName
    Case "StopBeforeNewPC": opts.StopBeforeNewPC = lValue
    Case "StopAfterNewPC": opts.StopAfterNewPC = lValue
    Case "DelayTimePowerOn": opts.DelayTimePowerOn = lValue
    Case "DelayTimePowerOff": opts.DelayTimePowerOff = lValue
    Case "TestStandard": opts.TestStandard = lValue
    Case "PECurrent": opts.PECurrent = lValue
    Case "ResWires": opts.ResWires = lValue
    Case "TestVoltage": opts.TestVoltage = lValue
    Case "measType": opts.measType = lValue
    Case "AppliedParts": opts.AppliedParts = lValue
    Case "MapLevel": opts.MapLevel = lValue
    Case "MapLimit": opts.MapLimit = lValue
    Case "WaveformType": opts.WaveformType = lValue
    Case "ECGDuration": opts.ECGDuration = lValue
    Case "TotalLeakage": opts.TotalLeakage = lValue
    Case "Duration": opts.Duration = lValue
    Case "PolaritySwitchingDelay": opts.PolaritySwitchingDelay = lValue
    Case "MAPVoltage": opts.MAPVoltage = lValue
    Case "MAPPolarity": opts.MAPPolarity = lValue
    Case "MAPCurrent": opts.MAPCurrent = lValue
    Case "PowerOFFScreen": opts.PowerOFFScreen = lValue
    Case Else: Err.Raise 438, "cycle.vbs", "no option " & sName
  End Select
End Sub

Sub PrintResult(sStep)
  Dim r
  Set r = vti.TestResult
  Check "TestResult"
  WScript.Echo sStep & " state=" & r.State & " milli=" & CStr(Round(CDbl(r.Value) * 1000)) & _
    " unknown=" & r.ValueUnknown & " suffix=" & r.UnitSuffix
  Check "reading the result"
End Sub

Do While Not stream.AtEndOfStream
  sLine = Trim(stream.ReadLine)
  mayFail = Left(sLine, 6) = "fails "
  If mayFail Then sLine = Mid(sLine, 7)
  words = Split(sLine, " ")
  If sLine <> "" And Left(sLine, 1) <> "#" Then
    Select Case words(0)
      Case "option"
        SetOption words(1), CLng(words(2))
        Check "option " & words(1)
      Case "connect"
        vti.InitRemote port
        Check "InitRemote"
        ' No analyzer found leaves no MTI data.
        If vti.MtiData Is Nothing Then
          WScript.Echo "connect state=" & vti.State & " firmware=(none)"
        Else
          WScript.Echo "connect state=" & vti.State & " firmware=" & vti.MtiData.FirmwareVersion
        End If
        Check "MtiData"
      Case "test"
        Set test = CreateObject("OrvexKSV940vti.CKsvSafetyTest")
        Check "CreateObject CKsvSafetyTest"
        test.Initialize CLng(words(1)), CLng(words(2))
        Check "Initialize"
        If UBound(words) >= 3 Then test.AP = words(3)
        vti.RunSafetyTest test, Nothing
        If Not Failed("RunSafetyTest " & words(1)) Then PrintResult "test " & words(1)
      Case "calibrate"
        vti.Calibrate
        Check "Calibrate"
        PrintResult "calibrate"
      Case "hv"
        WScript.Echo "hv " & CInt(vti.InHighVoltageMode)
        Check "InHighVoltageMode"
      Case "end"
        vti.EndRemote Nothing
        Check "EndRemote"
        WScript.Echo "end state=" & vti.State
      Case "await"
        ' Until the file of that name is there (the analyzer is back); WScript.Sleep does not
        ' wait under Wine.
        n = 0
        Do Until fso.FileExists(words(1)) Or n > 2000000
          n = n + 1
        Loop
    End Select
  End If
Loop
WScript.Quit 0
